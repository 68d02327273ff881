// The user's preference store: integers, and text the user wrote, under
// string keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {

class Preferences {
public:
    Preferences() = default;
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;
    virtual ~Preferences() = default;

    // The integer stored under the key; nothing when nothing usable is
    // stored there.
    virtual std::optional<std::int64_t> integer(const std::string& key) = 0;
    // False when the value could not be stored.
    virtual bool setInteger(const std::string& key, std::int64_t value) = 0;
    // The text stored under the key, as the user wrote it; nothing when
    // there is none. Stores without text entries have none.
    virtual std::optional<std::string> text(const std::string& key)
    {
        (void)key;
        return std::nullopt;
    }
};

} // namespace cendrel
