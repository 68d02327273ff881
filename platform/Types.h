// Plain values shared by the core and every backend.
#pragma once

#include <chrono>
#include <cmath>

namespace cendrel {

// Global screen coordinates in points: origin at the lower-left corner of the
// primary screen, x to the right, y upwards.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

using Seconds = std::chrono::duration<double>;

} // namespace cendrel
