// Text between the core (UTF-8 std::string) and Foundation (NSString).
// Objective-C++ only.
#pragma once

#import <Foundation/Foundation.h>

#include <optional>
#include <string>
#include <string_view>

namespace cendrel {

// Never nil: AppKit raises on a nil title or key, so text that is not UTF-8
// becomes the empty string rather than an exception.
inline NSString* toNSString(std::string_view text)
{
    if (text.empty()) {
        return @"";
    }
    NSString* string = [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
    return string != nil ? string : @"";
}

// Nothing when the string has no UTF-8 form (a lone surrogate, say).
inline std::optional<std::string> toStdString(NSString* string)
{
    const char* utf8 = string.UTF8String;
    if (utf8 == nullptr) {
        return std::nullopt;
    }
    return std::string(utf8);
}

} // namespace cendrel
