// A C++ string where AppKit takes an NSString.
// expect: cannot initialize a parameter of type 'NSString * _Nonnull' with an lvalue of type 'const char *'
#import <AppKit/AppKit.h>

void title(NSPanel* panel, const char* text)
{
    [panel setTitle:text];
}
