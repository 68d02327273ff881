// Simulated loader. Gap: nothing is loaded or started; handles are opaque
// numbers that only this loader understands.
#include "SimLoader.h"

#include <cstdint>

namespace cendrel {

namespace {
// Handles are small non-zero numbers disguised as pointers; never dereferenced.
template <class Handle> Handle handleFromIndex(std::size_t index)
{
    return reinterpret_cast<Handle>(index + 1);
}
template <class Handle> std::size_t indexFromHandle(Handle handle)
{
    return reinterpret_cast<std::uintptr_t>(handle) - 1;
}
} // namespace

LibraryHandle SimLoader::open(const std::string& path, int mode)
{
    entries_.push_back("open " + path + " " + std::to_string(mode));
    if (!libraryPresent_)
        return nullptr;
    ++openLibraries_;
    return handleFromIndex<LibraryHandle>(0);
}

FunctionHandle SimLoader::lookup(LibraryHandle library, const std::string& name)
{
    entries_.push_back("lookup " + name);
    if (!library || !functionPresent_)
        return nullptr;
    functionNames_.push_back(name);
    return handleFromIndex<FunctionHandle>(functionNames_.size() - 1);
}

bool SimLoader::call(FunctionHandle function)
{
    const std::size_t index = indexFromHandle(function);
    entries_.push_back("call " + (function && index < functionNames_.size() ? functionNames_[index] : "?"));
    return !callRefused_;
}

void SimLoader::close(LibraryHandle library)
{
    entries_.push_back("close");
    if (library && openLibraries_ > 0)
        --openLibraries_;
}

bool SimLoader::startProcess(const std::string& executable, const std::vector<std::string>& arguments)
{
    std::string entry = "start " + executable;
    for (const auto& argument : arguments)
        entry += " " + argument;
    entries_.push_back(std::move(entry));
    return !processStartFails_;
}

} // namespace cendrel
