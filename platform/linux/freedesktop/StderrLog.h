// The system log as standard error.
#pragma once

#include "SystemLog.h"

namespace cendrel {

class StderrLog final : public SystemLog {
public:
    void log(std::string_view line) override;
};

} // namespace cendrel
