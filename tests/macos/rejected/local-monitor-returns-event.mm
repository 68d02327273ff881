// The local monitor's handler returns the event to dispatch.
// expect: with an rvalue of type 'void (^)(NSEvent
#import <AppKit/AppKit.h>

id install()
{
    return [NSEvent addLocalMonitorForEventsMatchingMask:1024
                                                 handler:^(NSEvent* event) {
                                                   (void)event;
                                                 }];
}
