// UCKeyTranslate keeps its dead-key state in 32 bits.
// expect: no matching function for call to 'UCKeyTranslate'
#import <Carbon/Carbon.h>

OSStatus translate(const UCKeyboardLayout* layout, unsigned long long* deadKeyState)
{
    UniCharCount length = 0;
    UniChar buffer[4] = {};
    return UCKeyTranslate(layout, 37, kUCKeyActionDisplay, 0, LMGetKbdType(), 0, deadKeyState, 4, &length, buffer);
}
