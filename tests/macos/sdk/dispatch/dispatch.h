// <dispatch/dispatch.h>: the main queue and an asynchronous post, with dispatch
// objects as Objective-C objects (OS_OBJECT_USE_OBJC, as under ARC).
#pragma once

#include <objc/NSObject.h>

#define DISPATCH_EXPORT extern "C" __attribute__((visibility("default")))

@protocol OS_dispatch_object <NSObject>
@end
@protocol OS_dispatch_queue <OS_dispatch_object>
@end
@protocol OS_dispatch_queue_serial <OS_dispatch_queue>
@end
@protocol OS_dispatch_queue_main <OS_dispatch_queue_serial>
@end

typedef NSObject<OS_dispatch_queue>* dispatch_queue_t;
typedef NSObject<OS_dispatch_queue_main>* dispatch_queue_main_t;

typedef void (^dispatch_block_t)(void);

struct dispatch_queue_s;
DISPATCH_EXPORT struct dispatch_queue_s _dispatch_main_q;

static inline __attribute__((always_inline)) dispatch_queue_main_t dispatch_get_main_queue(void)
{
    return (__bridge dispatch_queue_main_t) & _dispatch_main_q;
}

DISPATCH_EXPORT void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
