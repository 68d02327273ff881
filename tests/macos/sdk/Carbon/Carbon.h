// <Carbon/Carbon.h>: the hot-key part of the Carbon event manager and the text
// input sources (HIToolbox), and key translation (CarbonCore), as the macOS 13
// SDK declares them.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

// --- HIToolbox/CarbonEventsCore.h -------------------------------------------

typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHotKeyRef* EventHotKeyRef;

typedef OSType EventParamName;
typedef OSType EventParamType;

struct EventTypeSpec {
    OSType eventClass;
    UInt32 eventKind;
};
typedef struct EventTypeSpec EventTypeSpec;

struct EventHotKeyID {
    OSType signature;
    UInt32 id;
};
typedef struct EventHotKeyID EventHotKeyID;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

extern OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                                  EventParamType* outActualType,                    /* can be NULL */
                                  ByteCount inBufferSize, ByteCount* outActualSize, /* can be NULL */
                                  void* outData);
extern OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, ItemCount inNumTypes,
                                    const EventTypeSpec* inList, void* inUserData,
                                    EventHandlerRef* outRef); /* can be NULL */
extern OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
extern OSStatus RegisterEventHotKey(UInt32 inHotKeyCode, UInt32 inHotKeyModifiers, EventHotKeyID inHotKeyID,
                                    EventTargetRef inTarget, OptionBits inOptions, EventHotKeyRef* outRef);
extern OSStatus UnregisterEventHotKey(EventHotKeyRef inHotKey);

// --- HIToolbox/CarbonEvents.h -----------------------------------------------

enum {
    kEventClassKeyboard = 'keyb',
};
enum {
    kEventHotKeyPressed = 5,
};
enum {
    kEventParamDirectObject = '----',
};
enum {
    typeEventHotKeyID = 'hkid',
};

extern EventTargetRef GetApplicationEventTarget(void);

// --- HIToolbox/TextInputSources.h, HIToolbox/Events.h -----------------------

enum {
    cmdKeyBit = 8,
    shiftKeyBit = 9,
    alphaLockBit = 10,
    optionKeyBit = 11,
    controlKeyBit = 12,
};
enum {
    cmdKey = 1 << cmdKeyBit,
    shiftKey = 1 << shiftKeyBit,
    alphaLock = 1 << alphaLockBit,
    optionKey = 1 << optionKeyBit,
    controlKey = 1 << controlKeyBit,
};

typedef struct __TISInputSource* TISInputSourceRef;

extern const CFStringRef kTISPropertyUnicodeKeyLayoutData;

extern TISInputSourceRef TISCopyCurrentKeyboardLayoutInputSource(void);
extern void* TISGetInputSourceProperty(TISInputSourceRef inSource, CFStringRef propertyKey);

extern UInt8 LMGetKbdType(void);

// --- HIToolbox/CarbonEvents.h ------------------------------------------------

extern Boolean IsSecureEventInputEnabled(void);

// --- CarbonCore/UnicodeUtilities.h ------------------------------------------

// Left incomplete: only the system reads its fields.
struct UCKeyboardLayout;
typedef struct UCKeyboardLayout UCKeyboardLayout;

enum {
    kUCKeyActionDisplay = 3,
};

extern OSStatus UCKeyTranslate(const UCKeyboardLayout* keyLayoutPtr, UInt16 virtualKeyCode, UInt16 keyAction,
                               UInt32 modifierKeyState, UInt32 keyboardType, OptionBits keyTranslateOptions,
                               UInt32* deadKeyState, UniCharCount maxStringLength, UniCharCount* actualStringLength,
                               UniChar unicodeString[]);

#ifdef __cplusplus
}
#endif
