// GIO rather than the gsettings program: one library call per value, through
// whichever backend the session uses (dconf on GNOME), where the program would
// cost a process per value and print values in GVariant's text form. A schema
// missing (no GNOME installed) is looked up first: GSettings aborts the
// process on an unknown one.
#include "GnomeShortcuts.h"

#include <gio/gio.h>

#include <QString>
#include <QTimer>

namespace cendrel {

namespace {

constexpr const char* listSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* shortcutSchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";

// A path GSettings accepts: it aborts on any other.
bool isSettingsPath(const std::string& path)
{
    return path.size() > 1 && path.front() == '/' && path.back() == '/' && path.find("//") == std::string::npos;
}

std::vector<std::pair<std::string, std::string>> customShortcuts()
{
    std::vector<std::pair<std::string, std::string>> shortcuts;
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr)
        return shortcuts;
    GSettingsSchema* list = g_settings_schema_source_lookup(source, listSchema, TRUE);
    GSettingsSchema* one = g_settings_schema_source_lookup(source, shortcutSchema, TRUE);
    if (list != nullptr && one != nullptr) {
        GSettings* settings = g_settings_new_full(list, nullptr, nullptr);
        gchar** paths = g_settings_get_strv(settings, "custom-keybindings");
        for (gchar** path = paths; *path != nullptr; ++path) {
            if (!isSettingsPath(*path))
                continue;
            GSettings* shortcut = g_settings_new_full(one, nullptr, *path);
            gchar* binding = g_settings_get_string(shortcut, "binding");
            gchar* command = g_settings_get_string(shortcut, "command");
            shortcuts.emplace_back(binding, command);
            g_free(command);
            g_free(binding);
            g_object_unref(shortcut);
        }
        g_strfreev(paths);
        g_object_unref(settings);
    }
    if (one != nullptr)
        g_settings_schema_unref(one);
    if (list != nullptr)
        g_settings_schema_unref(list);
    return shortcuts;
}

// "<Super><Alt>l" as Settings shows it: "Super+Alt+L".
std::string shownKey(const std::string& binding)
{
    std::string shown;
    std::string rest = binding;
    while (rest.size() > 2 && rest.front() == '<') {
        const auto end = rest.find('>');
        if (end == std::string::npos)
            break;
        std::string modifier = rest.substr(1, end - 1);
        if (modifier == "Primary" || modifier == "Control")
            modifier = "Ctrl";
        shown += modifier + "+";
        rest.erase(0, end + 1);
    }
    return shown + (rest.size() == 1 ? QString::fromStdString(rest).toUpper().toStdString() : rest);
}

} // namespace

BindingAdvice GnomeShortcuts::advice(const ShortcutWords& shortcut, const std::string& command) const
{
    return {"Settings → Keyboard → View and Customize Shortcuts → Custom Shortcuts",
            shortcut.displayText + " running " + command};
}

void GnomeShortcuts::findCommandKey(std::function<void(std::optional<std::string>)> onFound)
{
    QTimer::singleShot(0, [onFound = std::move(onFound)] { onFound(gnomeCommandKey(customShortcuts())); });
}

std::optional<std::string> gnomeCommandKey(const std::vector<std::pair<std::string, std::string>>& shortcuts)
{
    for (const auto& [binding, command] : shortcuts) {
        if (!binding.empty() && armsCendrel(QString::fromStdString(command)))
            return shownKey(binding);
    }
    return std::nullopt;
}

} // namespace cendrel
