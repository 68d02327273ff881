// Simulated system log: keeps every line, in order.
#pragma once

#include "SystemLog.h"

#include <string>
#include <vector>

namespace cendrel {

class SimSystemLog final : public SystemLog {
public:
    void log(std::string_view line) override { lines_.emplace_back(line); }

    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

} // namespace cendrel
