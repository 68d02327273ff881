// RegisterEventHotKey takes the identifier by value.
// expect: no matching function for call to 'RegisterEventHotKey'
#import <Carbon/Carbon.h>

OSStatus registerKey(EventHotKeyID* hotKeyID, EventHotKeyRef* outRef)
{
    return RegisterEventHotKey(37, 0x900, hotKeyID, GetApplicationEventTarget(), 0, outRef);
}
