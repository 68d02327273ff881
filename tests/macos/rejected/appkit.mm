// Mistakes the AppKit and Foundation stubs must refuse, as the SDK does: each
// "expect:" line names a diagnostic the file must fail with.
#import <AppKit/AppKit.h>

// NSBackingStoreType is an enumeration: the buffered backing is named, not 2.
// expect: cannot initialize a parameter of type 'NSBackingStoreType' with an rvalue of type 'int'
NSPanel* make()
{
    return [[NSPanel alloc] initWithContentRect:NSMakeRect(0, 0, 360, 150) styleMask:131 backing:2 defer:NO];
}

// removeMonitor: is a class method of NSEvent, not an instance method.
// expect: declares the selector 'removeMonitor:'
void remove(NSEvent* event, id token)
{
    [event removeMonitor:token];
}

// The local monitor's handler returns the event to dispatch.
// expect: with an rvalue of type 'void (^)(NSEvent
id install()
{
    return [NSEvent addLocalMonitorForEventsMatchingMask:1024
                                                 handler:^(NSEvent* event) {
                                                   (void)event;
                                                 }];
}

// A log line passed as the format.
// expect: format string is not a string literal
void log(NSString* line)
{
    NSLog(line);
}

// A menu's delegate must adopt NSMenuDelegate, or menuWillOpen: is never asked.
// expect: incompatible pointer types assigning to 'id<NSMenuDelegate> _Nullable' from 'Observer *'
@interface Observer : NSObject
- (void)menuWillOpen:(NSMenu*)menu;
@end

void observe(NSMenu* menu, Observer* observer)
{
    menu.delegate = observer;
}

// A misspelt selector on a real class.
// expect: declares the selector 'setMenuu:'
void attach(NSStatusItem* item, NSMenu* menu)
{
    [item setMenuu:menu];
}

// 'template' is a C++ keyword: the property is reached through setTemplate:.
// expect: expected unqualified-id
void mark(NSImage* image)
{
    image.template = YES;
}

// A C++ string where AppKit takes an NSString.
// expect: cannot initialize a parameter of type 'NSString * _Nonnull' with an lvalue of type 'const char *'
void title(NSPanel* panel, const char* text)
{
    [panel setTitle:text];
}
