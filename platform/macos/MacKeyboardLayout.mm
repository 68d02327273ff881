// KeyboardLayout on macOS: the current keyboard layout's Unicode data through
// the text input sources, translated with UCKeyTranslate; shortcuts are
// written with glyphs. No gap.
#import <Carbon/Carbon.h>
#import <Foundation/Foundation.h>

#include "MacBackend.h"
#include "MacStrings.h"

#include <type_traits>

namespace cendrel {

namespace {

static_assert(std::is_same_v<UniChar, unichar>);

std::optional<std::string> translate(TISInputSourceRef source, KeyCode keyCode)
{
    // The data belongs to the source (a Get, not a Copy): released with it.
    auto layoutData = static_cast<CFDataRef>(TISGetInputSourceProperty(source, kTISPropertyUnicodeKeyLayoutData));
    if (layoutData == nullptr) {
        return std::nullopt;
    }
    const auto* layout = reinterpret_cast<const UCKeyboardLayout*>(CFDataGetBytePtr(layoutData));
    UniChar buffer[4] = {0, 0, 0, 0};
    UInt32 deadKeyState = 0;
    UniCharCount length = 0;
    // No modifiers, and dead keys not suppressed: the key's plain character,
    // as the layout gives it.
    ::OSStatus status =
        UCKeyTranslate(layout, keyCode, kUCKeyActionDisplay, 0, LMGetKbdType(), 0, &deadKeyState, 4, &length, buffer);
    if (status != ::noErr || length < 1) {
        return std::nullopt;
    }
    return toStdString([NSString stringWithCharacters:buffer length:length]);
}

class MacKeyboardLayout final : public KeyboardLayout {
public:
    // The current source is asked for at every call, never kept: the user may
    // switch layouts at any moment. It is released on every path.
    std::optional<std::string> characterForKey(KeyCode keyCode) override
    {
        TISInputSourceRef source = TISCopyCurrentKeyboardLayoutInputSource();
        if (source == nullptr) {
            return std::nullopt;
        }
        std::optional<std::string> character = translate(source, keyCode);
        CFRelease(source);
        return character;
    }

    ShortcutNotation notation() override { return ShortcutNotation::glyphs; }

    std::string uppercase(const std::string& text) override
    {
        NSString* decoded = [[NSString alloc] initWithBytes:text.data()
                                                     length:text.size()
                                                   encoding:NSUTF8StringEncoding];
        if (decoded == nil) {
            return text;
        }
        return toStdString(decoded.uppercaseString).value_or(text);
    }
};

} // namespace

std::shared_ptr<KeyboardLayout> makeMacKeyboardLayout()
{
    return std::make_shared<MacKeyboardLayout>();
}

} // namespace cendrel
