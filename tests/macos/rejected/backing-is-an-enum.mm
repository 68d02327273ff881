// NSBackingStoreType is an enumeration: the buffered backing is named, not 2.
// expect: cannot initialize a parameter of type 'NSBackingStoreType' with an rvalue of type 'int'
#import <AppKit/AppKit.h>

NSPanel* make()
{
    return [[NSPanel alloc] initWithContentRect:NSMakeRect(0, 0, 360, 150) styleMask:131 backing:2 defer:NO];
}
