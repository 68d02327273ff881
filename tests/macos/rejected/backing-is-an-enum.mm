// NSBackingStoreType is an enumeration: a plain integer needs its cast.
// expect: cannot initialize a parameter of type 'NSBackingStoreType' with an lvalue of type 'unsigned long long'
#import <AppKit/AppKit.h>

NSPanel* make(unsigned long long backing)
{
    return [[NSPanel alloc] initWithContentRect:NSMakeRect(0, 0, 360, 150) styleMask:131 backing:backing defer:NO];
}
