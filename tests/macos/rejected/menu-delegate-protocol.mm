// A menu's delegate must adopt NSMenuDelegate, or menuWillOpen: is never asked.
// expect: incompatible pointer types assigning to 'id<NSMenuDelegate> _Nullable' from 'Observer *'
#import <AppKit/AppKit.h>

@interface Observer : NSObject
- (void)menuWillOpen:(NSMenu*)menu;
@end

void observe(NSMenu* menu, Observer* observer)
{
    menu.delegate = observer;
}
