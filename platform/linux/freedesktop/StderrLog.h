// The system log as standard error.
#pragma once

#include "SystemLog.h"

namespace cendrel {

class StderrLog final : public SystemLog {
public:
    // Ignores SIGPIPE for the whole process, and sends Qt's messages here.
    StderrLog();
    void log(std::string_view line) override;
};

} // namespace cendrel
