// The lock "library" on Linux is the login manager on the system bus: open
// reaches the bus name, lookup names a method of the caller's session, call
// makes the D-Bus call. Processes start detached through PATH.
#pragma once

#include "Loader.h"

namespace cendrel {

class LinuxLoader final : public Loader {
public:
    LibraryHandle open(const std::string& path, int mode) override;
    FunctionHandle lookup(LibraryHandle library, const std::string& name) override;
    bool call(FunctionHandle function) override;
    void close(LibraryHandle library) override;
    bool startProcess(const std::string& executable, const std::vector<std::string>& arguments) override;
};

} // namespace cendrel
