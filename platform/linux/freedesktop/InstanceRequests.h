// Requests from another start of the program (`cendrel --toggle`) to the
// running one: method calls on the object it exports under its session-bus
// name.
#pragma once

#include "Application.h"

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace cendrel {

// The request a command-line option names, if it names one.
std::optional<Request> requestFromOption(std::string_view option);

// Exports the object that takes requests on the session bus. Each one is
// handed to the listener on the main thread and answered once it has run;
// while the listener is empty, it is refused. False without a session bus.
bool receiveRequests(std::shared_ptr<std::function<void(Request)>> listener);

// Sends the request to the running instance, waits for its answer and ends
// the process: with 0 when it was taken, otherwise with 1, the user having
// been told why.
[[noreturn]] void sendRequest(int argc, char** argv, Request request);

} // namespace cendrel
