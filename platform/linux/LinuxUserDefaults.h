// Preferences as an INI file read and written with QSettings.
#pragma once

#include "UserDefaults.h"

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace cendrel {

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute, as the
// XDG base directory rules say.
std::string xdgConfigHome();

// <config home>/Cendrel/Cendrel.conf
std::string preferencesFilePath();

class LinuxUserDefaults final : public UserDefaults {
public:
    explicit LinuxUserDefaults(std::string path = preferencesFilePath());
    ~LinuxUserDefaults() override;

    bool hasObject(const std::string& key) override;
    std::int64_t integer(const std::string& key) override;
    void setInteger(std::int64_t value, const std::string& key) override;

private:
    std::optional<std::int64_t> read(const std::string& key);

    std::string path_;
    std::unique_ptr<QSettings> settings_;
    // The file could not be read as settings: nothing is taken from it, and
    // it is only replaced when something new is stored.
    bool unusable_ = false;
};

} // namespace cendrel
