// removeMonitor: is a class method of NSEvent, not an instance method.
// expect: declares the selector 'removeMonitor:'
#import <AppKit/AppKit.h>

void remove(NSEvent* event, id token)
{
    [event removeMonitor:token];
}
