// Modifier keys between AppKit's event flags, Carbon's hot-key mask and
// Cendrel's Modifiers, translated here and nowhere else. Objective-C++ only.
#pragma once

#import <AppKit/AppKit.h>
#import <Carbon/Carbon.h>

#include "Keys.h"

namespace cendrel {

struct EventFlagModifier {
    NSEventModifierFlags flag;
    Modifier modifier;
};

// The device-independent flags of a key event. Keypad and help ride on key
// presses without the user holding anything; like Function they only keep a
// plain Escape from counting as one.
inline constexpr EventFlagModifier eventFlagModifiers[] = {
    {NSEventModifierFlagCommand, Modifier::command},     {NSEventModifierFlagShift, Modifier::shift},
    {NSEventModifierFlagOption, Modifier::option},       {NSEventModifierFlagControl, Modifier::control},
    {NSEventModifierFlagCapsLock, Modifier::capsLock},   {NSEventModifierFlagFunction, Modifier::function},
    {NSEventModifierFlagNumericPad, Modifier::function}, {NSEventModifierFlagHelp, Modifier::function},
};

constexpr Modifiers modifiersFromEventFlags(NSEventModifierFlags flags)
{
    Modifiers modifiers;
    for (const EventFlagModifier& row : eventFlagModifiers) {
        if ((flags & row.flag) != 0) {
            modifiers.insert(row.modifier);
        }
    }
    return modifiers;
}

struct CarbonModifier {
    Modifier modifier;
    UInt32 mask;
};

inline constexpr CarbonModifier carbonModifiers[] = {
    {Modifier::command, cmdKey},
    {Modifier::shift, shiftKey},
    {Modifier::option, optionKey},
    {Modifier::control, controlKey},
    // Never recorded; kept when a stored shortcut carries it.
    {Modifier::capsLock, alphaLock},
};

// What RegisterEventHotKey takes. Function has no place in it.
constexpr UInt32 carbonModifierMask(Modifiers modifiers)
{
    UInt32 mask = 0;
    for (const CarbonModifier& row : carbonModifiers) {
        if (modifiers.contains(row.modifier)) {
            mask |= row.mask;
        }
    }
    return mask;
}

// The values the stored shortcuts were written with: a table row that slips
// would silently change which key combination a stored shortcut means.
static_assert(modifiersFromEventFlags(0x100000) == Modifiers{Modifier::command} &&
              modifiersFromEventFlags(0x20000) == Modifiers{Modifier::shift} &&
              modifiersFromEventFlags(0x80000) == Modifiers{Modifier::option} &&
              modifiersFromEventFlags(0x40000) == Modifiers{Modifier::control});
static_assert(modifiersFromEventFlags(0xE1FFFF) == Modifiers{Modifier::capsLock, Modifier::function});
static_assert(carbonModifierMask({Modifier::command}) == 0x100 && carbonModifierMask({Modifier::shift}) == 0x200 &&
              carbonModifierMask({Modifier::option}) == 0x800 && carbonModifierMask({Modifier::control}) == 0x1000);
static_assert(carbonModifierMask({Modifier::capsLock, Modifier::function}) == 0x400);

} // namespace cendrel
