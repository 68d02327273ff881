// The dynamic loader and process start, through which the screen gets locked.
#pragma once

#include <string>
#include <vector>

namespace cendrel {

struct OpaqueLibraryHandle;
using LibraryHandle = OpaqueLibraryHandle*;
struct OpaqueFunctionHandle;
using FunctionHandle = OpaqueFunctionHandle*;

constexpr int loaderModeNow = 2; // RTLD_NOW

class Loader {
public:
    Loader() = default;
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;
    virtual ~Loader() = default;

    // Null when the library cannot be loaded.
    virtual LibraryHandle open(const std::string& path, int mode) = 0;
    // Null when the library has no such function.
    virtual FunctionHandle lookup(LibraryHandle library, const std::string& name) = 0;
    // Calls the function with no arguments. False only where the call itself
    // can be refused (a lock request over a bus); a plain C function is always
    // called, and what it returns is ignored.
    virtual bool call(FunctionHandle function) = 0;
    virtual void close(LibraryHandle library) = 0;
    // Starts the executable with exactly these arguments and does not wait.
    // False when it could not be started.
    virtual bool startProcess(const std::string& executable, const std::vector<std::string>& arguments) = 0;
};

} // namespace cendrel
