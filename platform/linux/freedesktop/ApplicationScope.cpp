// StartTransientUnit on the user's systemd manager through sd-bus: one call
// whose a(sv) properties sd-bus writes from its signature, made once at start
// before the loop runs. Gap: the scope lives as long as the process, so a
// restart makes another one.
#include "ApplicationScope.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace cendrel {

bool runsInApplicationUnit(const std::string& cgroups, const std::string& applicationId)
{
    std::istringstream lines(cgroups);
    for (std::string line; std::getline(lines, line);) {
        const std::string unit = line.substr(line.rfind('/') + 1);
        // app-[<launcher>-]<id>-<random>.scope or app-[<launcher>-]<id>[@<random>].service
        if (unit.rfind("app-", 0) == 0 &&
            (unit.find("-" + applicationId + "-") != std::string::npos ||
             unit.find("-" + applicationId + "@") != std::string::npos || unit == "app-" + applicationId + ".service"))
            return true;
    }
    return false;
}

std::string placeInApplicationScope(const std::string& applicationId)
{
    std::ifstream file("/proc/self/cgroup");
    std::stringstream cgroups;
    cgroups << file.rdbuf();
    if (runsInApplicationUnit(cgroups.str(), applicationId))
        return {};
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0)
        return {};
    sd_bus_set_method_call_timeout(bus, 1000000);
    const std::string unit = "app-" + applicationId + "-" + std::to_string(getpid()) + ".scope";
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call_method(
        bus, "org.freedesktop.systemd1", "/org/freedesktop/systemd1", "org.freedesktop.systemd1.Manager",
        "StartTransientUnit", &error, &reply, "ssa(sv)a(sa(sv))", unit.c_str(), "fail", 3, "PIDs", "au", 1,
        static_cast<std::uint32_t>(getpid()), "Slice", "s", "app.slice", "CollectMode", "s", "inactive-or-failed", 0);
    std::string failure;
    if (result < 0 && !sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER))
        failure = error.message != nullptr ? error.message : "no answer";
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return failure;
}

} // namespace cendrel
