// Simulated preference store: 64-bit integers under string keys. Gap: it holds
// integers only, never another kind of object.
#pragma once

#include "UserDefaults.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cendrel {

class SimUserDefaults final : public UserDefaults {
public:
    bool hasObject(const std::string& key) override;
    std::int64_t integer(const std::string& key) override;
    // Recorded in writes().
    void setInteger(std::int64_t value, const std::string& key) override;

    // What is stored under the key, as a test sees it; not recorded as a read.
    std::optional<std::int64_t> value(const std::string& key) const;
    // Stores as a previous run of the program would have: not recorded as a write.
    void setValue(const std::string& key, std::int64_t value) { values_[key] = value; }
    void remove(const std::string& key) { values_.erase(key); }

    // Every setInteger(), in order.
    const std::vector<std::pair<std::string, std::int64_t>>& writes() const { return writes_; }
    // Every hasObject() and integer() call, in order: "hasObject <key>", "integer <key>".
    const std::vector<std::string>& reads() const { return reads_; }

private:
    std::map<std::string, std::int64_t> values_;
    std::vector<std::pair<std::string, std::int64_t>> writes_;
    std::vector<std::string> reads_;
};

} // namespace cendrel
