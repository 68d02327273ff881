// Loader on macOS: dlopen, dlsym and dlclose, and NSTask started without
// waiting. No gap.
#import <Foundation/Foundation.h>
#include <dlfcn.h>

#include "MacBackend.h"
#include "MacStrings.h"

namespace cendrel {

namespace {

static_assert(loaderModeNow == RTLD_NOW);

class MacLoader final : public Loader {
public:
    LibraryHandle open(const std::string& path, int mode) override
    {
        return static_cast<LibraryHandle>(dlopen(path.c_str(), mode));
    }

    FunctionHandle lookup(LibraryHandle library, const std::string& name) override
    {
        return static_cast<FunctionHandle>(dlsym(library, name.c_str()));
    }

    // The functions looked up here are plain C functions without arguments;
    // whatever they return is ignored, which the arm64 calling convention
    // allows when calling them as returning void.
    bool call(FunctionHandle function) override
    {
        reinterpret_cast<void (*)()>(function)();
        return true;
    }

    void close(LibraryHandle library) override { dlclose(library); }

    // Only the executable and the arguments are set: the child inherits
    // everything else, is not waited for and is not kept.
    bool startProcess(const std::string& executable, const std::vector<std::string>& arguments) override
    {
        NSMutableArray<NSString*>* nsArguments = [NSMutableArray arrayWithCapacity:arguments.size()];
        for (const std::string& argument : arguments) {
            [nsArguments addObject:toNSString(argument)];
        }
        NSTask* task = [[NSTask alloc] init];
        task.executableURL = [NSURL fileURLWithPath:toNSString(executable)];
        task.arguments = nsArguments;
        return [task launchAndReturnError:nil];
    }
};

} // namespace

std::shared_ptr<Loader> makeMacLoader()
{
    return std::make_shared<MacLoader>();
}

} // namespace cendrel
