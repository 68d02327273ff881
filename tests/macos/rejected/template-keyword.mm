// 'template' is a C++ keyword: the property is reached through setTemplate:.
// expect: expected unqualified-id
#import <AppKit/AppKit.h>

void mark(NSImage* image)
{
    image.template = YES;
}
