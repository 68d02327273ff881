// The desktop entry is written whole through a temporary file and a rename,
// so a session starting meanwhile never reads half of it. An installed
// program copies its own desktop entry, which names it as `cendrel` and so
// survives the package moving it; one run from elsewhere names its path.
// Gap: moving that binary turns the entry off until it is chosen again.
#include "XdgAutostart.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <filesystem>
#include <sstream>
#include <system_error>

namespace cendrel {

namespace {

// Exec quoting of the desktop entry format: the argument in double quotes,
// with ", `, $ and \ escaped and % doubled; then the string-value escape of
// the backslash itself.
std::string quotedExecArgument(const std::string& argument)
{
    std::string exec = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            exec += '\\';
        else if (c == '%')
            exec += '%';
        exec += c;
    }
    exec += '"';
    std::string value;
    for (const char c : exec)
        value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

// Undoes the value escapes of the format (\s \n \t \r \\).
std::string unescapeValue(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// The program of an Exec line: its first argument, unquoted.
std::string execProgram(const std::string& exec)
{
    std::string program;
    std::size_t i = exec.find_first_not_of(' ');
    if (i == std::string::npos)
        return program;
    if (exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size())
                ++i;
            program += exec[i];
        }
    } else {
        for (; i < exec.size() && exec[i] != ' '; ++i)
            program += exec[i];
    }
    std::string unpercented;
    for (std::size_t j = 0; j < program.size(); ++j) {
        unpercented += program[j];
        if (program[j] == '%' && j + 1 < program.size() && program[j + 1] == '%')
            ++j;
    }
    return unpercented;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

struct EntryState {
    bool ours = false;
    bool enabled = false;
};

EntryState entryState(const std::string& contents, const std::string& executable, bool installed)
{
    std::istringstream lines(contents);
    bool inMainGroup = false;
    bool ours = false;
    bool hidden = false;
    for (std::string raw; std::getline(lines, raw);) {
        const std::string line = trimmed(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = unescapeValue(trimmed(line.substr(equals + 1)));
        if (key == "Exec") {
            const std::string program = execProgram(value);
            ours = program == executable || (installed && program == "cendrel");
        } else if (key == "Hidden")
            hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled" && value == "false")
            hidden = true;
    }
    return {ours, ours && !hidden};
}

EntryState readEntry(const std::string& path, const std::string& executable, bool installed)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return entryState(file.read(64 * 1024).toStdString(), executable, installed);
}

LoginItemError fileError(const std::string& what, const QString& path, const QString& reason)
{
    const std::string text = what + " " + path.toStdString() + ": " + reason.toStdString();
    return {text, text};
}

} // namespace

std::string runningExecutablePath()
{
    std::error_code error;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error)
        return QCoreApplication::applicationFilePath().toStdString();
    return executablePathFromLink(path);
}

std::string executablePathFromLink(std::string path)
{
    // A binary replaced while it runs (a rebuild) reads back with this mark;
    // the entry wants the path the next login will find.
    const std::string replaced = " (deleted)";
    if (path.size() > replaced.size() && path.ends_with(replaced))
        path.resize(path.size() - replaced.size());
    return path;
}

std::string installedDesktopEntry(const std::string& executable)
{
    const std::filesystem::path binary(executable);
    if (binary.filename() != "cendrel" || binary.parent_path().filename() != "bin")
        return {};
    const auto entry = binary.parent_path().parent_path() / "share/applications/org.cendrel.Cendrel.desktop";
    std::error_code error;
    return std::filesystem::is_regular_file(entry, error) ? entry.string() : std::string();
}

XdgAutostart::XdgAutostart(std::string entryPath, std::string executable, std::string installedEntry,
                           std::string formerEntryPath)
    : entryPath_(std::move(entryPath)), executable_(std::move(executable)), installedEntry_(std::move(installedEntry)),
      formerEntryPath_(std::move(formerEntryPath))
{
}

bool XdgAutostart::isEnabled()
{
    replaceFormerEntry();
    return readEntry(entryPath_, executable_, !installedEntry_.empty()).enabled;
}

void XdgAutostart::replaceFormerEntry()
{
    if (formerEntryPath_.empty())
        return;
    // Another program's entry of that name is left alone.
    const EntryState former = readEntry(formerEntryPath_, executable_, !installedEntry_.empty());
    if (!former.ours)
        return;
    // Kept while the new one cannot be written, so the next login still starts us.
    if (former.enabled && enable().has_value())
        return;
    QFile::remove(QString::fromStdString(formerEntryPath_));
}

std::optional<LoginItemError> XdgAutostart::enable()
{
    const QString path = QString::fromStdString(entryPath_);
    const QString directory = QFileInfo(path).absolutePath();
    std::error_code error;
    std::filesystem::create_directories(directory.toStdString(), error);
    if (error)
        return fileError("cannot create", directory, QString::fromStdString(error.message()));
    QByteArray entry;
    if (!installedEntry_.empty()) {
        QFile installed(QString::fromStdString(installedEntry_));
        if (!installed.open(QIODevice::ReadOnly))
            return fileError("cannot read", installed.fileName(), installed.errorString());
        entry = installed.read(64 * 1024);
    } else {
        entry = "[Desktop Entry]\n"
                "Type=Application\n"
                "Name=Cendrel\n"
                "Comment=Locks the screen when the computer is touched while armed\n"
                "Exec=" +
                QByteArray::fromStdString(quotedExecArgument(executable_)) +
                "\n"
                "Terminal=false\n"
                "X-GNOME-Autostart-enabled=true\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError("cannot write", path, file.errorString());
    file.write(entry);
    if (!file.commit())
        return fileError("cannot write", path, file.errorString());
    return std::nullopt;
}

std::optional<LoginItemError> XdgAutostart::disable()
{
    replaceFormerEntry();
    QFile file(QString::fromStdString(entryPath_));
    if (file.exists() && !file.remove())
        return fileError("cannot remove", file.fileName(), file.errorString());
    return std::nullopt;
}

} // namespace cendrel
