// Simulated dynamic loader and process start: every request is recorded, and
// each step can be made to fail.
#pragma once

#include "Loader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace cendrel {

class SimLoader final : public Loader {
public:
    // Every call is appended to entries(), failed ones included.
    LibraryHandle open(const std::string& path, int mode) override;
    FunctionHandle lookup(LibraryHandle library, const std::string& name) override;
    bool call(FunctionHandle function) override;
    void close(LibraryHandle library) override;
    bool startProcess(const std::string& executable, const std::vector<std::string>& arguments) override;

    // Any path opens while the library is present (the default).
    void setLibraryPresent(bool present) { libraryPresent_ = present; }
    // Any name is found while the function is present (the default).
    void setFunctionPresent(bool present) { functionPresent_ = present; }
    // call() answers false, as a refused lock request over a bus would.
    void setCallRefused(bool refused) { callRefused_ = refused; }
    void setProcessStartFails(bool fails) { processStartFails_ = fails; }

    // In call order, one line each:
    //   "open <path> <mode>", "lookup <name>", "call <name>", "close",
    //   "start <executable> <argument> ..."
    const std::vector<std::string>& entries() const { return entries_; }
    void clearEntries() { entries_.clear(); }
    // Libraries opened and not yet closed.
    std::size_t openLibraryCount() const { return openLibraries_; }

private:
    bool libraryPresent_ = true;
    bool functionPresent_ = true;
    bool callRefused_ = false;
    bool processStartFails_ = false;
    std::vector<std::string> entries_;
    // Function handles index this list: call() names what it calls.
    std::vector<std::string> functionNames_;
    std::size_t openLibraries_ = 0;
};

} // namespace cendrel
