// A misspelt selector on a real class.
// expect: declares the selector 'setMenuu:'
#import <AppKit/AppKit.h>

void attach(NSStatusItem* item, NSMenu* menu)
{
    [item setMenuu:menu];
}
