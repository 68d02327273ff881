// Mistakes the Carbon stubs must refuse, as the SDK does: each "expect:" line
// names a diagnostic the file must fail with.
#import <Carbon/Carbon.h>

// UCKeyTranslate keeps its dead-key state in 32 bits.
// expect: no matching function for call to 'UCKeyTranslate'
OSStatus translate(const UCKeyboardLayout* layout, unsigned long long* deadKeyState)
{
    UniCharCount length = 0;
    UniChar buffer[4] = {};
    return UCKeyTranslate(layout, 37, kUCKeyActionDisplay, 0, LMGetKbdType(), 0, deadKeyState, 4, &length, buffer);
}

// RegisterEventHotKey takes the identifier by value.
// expect: no matching function for call to 'RegisterEventHotKey'
OSStatus registerKey(EventHotKeyID* hotKeyID, EventHotKeyRef* outRef)
{
    return RegisterEventHotKey(37, 0x900, hotKeyID, GetApplicationEventTarget(), 0, outRef);
}
