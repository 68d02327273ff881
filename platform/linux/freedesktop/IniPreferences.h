// Preferences as an INI file, read and written through QSettings.
#pragma once

#include "Preferences.h"

#include <QVariant>

#include <memory>
#include <string>

class QSettings;

namespace cendrel {

class IniPreferences final : public Preferences {
public:
    // The file is read once, here.
    explicit IniPreferences(std::string path);
    ~IniPreferences() override;

    std::optional<std::int64_t> integer(const std::string& key) override;
    bool setInteger(const std::string& key, std::int64_t value) override;
    std::optional<std::string> text(const std::string& key) override;

private:
    // The value stored under `key`; nothing when there is none or the file
    // is not usable.
    std::optional<QVariant> stored(const std::string& key) const;
    std::string path_;
    std::unique_ptr<QSettings> settings_;
    // The file could not be read as settings: nothing is taken from it, and
    // it is replaced only when something new is stored.
    bool unusable_ = false;
};

} // namespace cendrel
