// The user's preference store: integers under string keys.
#pragma once

#include <cstdint>
#include <string>

namespace cendrel {

class UserDefaults {
public:
    UserDefaults() = default;
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;
    virtual ~UserDefaults() = default;

    // Whether anything at all is stored under the key.
    virtual bool hasObject(const std::string& key) = 0;
    // The integer stored under the key; 0 when nothing is stored.
    virtual std::int64_t integer(const std::string& key) = 0;
    virtual void setInteger(std::int64_t value, const std::string& key) = 0;
};

} // namespace cendrel
