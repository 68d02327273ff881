// The log: one line per event on standard error.
#pragma once

#include "SystemLog.h"

namespace cendrel {

class LinuxSystemLog final : public SystemLog {
public:
    void log(std::string_view line) override;
};

} // namespace cendrel
