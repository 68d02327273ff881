// <ApplicationServices/ApplicationServices.h>: whether this process is trusted
// for Accessibility (HIServices/AXUIElement.h).
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

extern Boolean AXIsProcessTrusted(void);
extern Boolean AXIsProcessTrustedWithOptions(CFDictionaryRef options);
extern CFStringRef kAXTrustedCheckOptionPrompt;

#ifdef __cplusplus
}
#endif
