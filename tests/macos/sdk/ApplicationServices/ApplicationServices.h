// <ApplicationServices/ApplicationServices.h>: whether this process is trusted
// for Accessibility (HIServices/AXUIElement.h).
#pragma once

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

extern Boolean AXIsProcessTrusted(void);

#ifdef __cplusplus
}
#endif
