// <Foundation/Foundation.h>: the Foundation classes, types and functions the
// backend uses, as the macOS 13 SDK declares them for Objective-C++.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>
#include <objc/NSObject.h>
#include <stdint.h>

// --- NSObjCRuntime.h --------------------------------------------------------

typedef long NSInteger;
typedef unsigned long NSUInteger;

#define FOUNDATION_EXPORT extern "C" __attribute__((visibility("default")))
#define NS_FORMAT_FUNCTION(F, A) __attribute__((format(__NSString__, F, A)))
#define NS_DESIGNATED_INITIALIZER __attribute__((objc_designated_initializer))
#define NS_ASSUME_NONNULL_BEGIN _Pragma("clang assume_nonnull begin")
#define NS_ASSUME_NONNULL_END _Pragma("clang assume_nonnull end")
#define NS_INLINE static inline __attribute__((always_inline))
#define NS_RETURNS_INNER_POINTER __attribute__((objc_returns_inner_pointer))

// The C++ forms: an NS_ENUM is a scoped-width enum type, an NS_OPTIONS type is
// the plain integer type with its constants in an anonymous enum.
#define NS_ENUM(_type, _name)                                                                                          \
    enum __attribute__((enum_extensibility(open))) _name : _type _name;                                                \
    enum __attribute__((enum_extensibility(open))) _name : _type
#define NS_OPTIONS(_type, _name)                                                                                       \
    _type _name;                                                                                                       \
    enum __attribute__((flag_enum, enum_extensibility(open))) : _type

NS_ASSUME_NONNULL_BEGIN

@class NSString;

FOUNDATION_EXPORT void NSLog(NSString* format, ...) NS_FORMAT_FUNCTION(1, 2);

// --- NSDate.h ---------------------------------------------------------------

typedef double NSTimeInterval;

// --- NSGeometry.h -----------------------------------------------------------

typedef CGPoint NSPoint;
typedef CGRect NSRect;

NS_INLINE NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h)
{
    NSRect r;
    r.origin.x = x;
    r.origin.y = y;
    r.size.width = w;
    r.size.height = h;
    return r;
}

// --- NSEnumerator.h ---------------------------------------------------------

typedef struct {
    unsigned long state;
    id __unsafe_unretained _Nullable* _Nullable itemsPtr;
    unsigned long* _Nullable mutationsPtr;
    unsigned long extra[5];
} NSFastEnumerationState;

@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState*)state
                                  objects:(id __unsafe_unretained _Nullable[_Nonnull])buffer
                                    count:(NSUInteger)len;
@end

// --- NSString.h -------------------------------------------------------------

typedef unsigned short unichar;
typedef NSUInteger NSStringEncoding;
enum : NSStringEncoding {
    NSUTF8StringEncoding = 4,
};

@interface NSString : NSObject
+ (instancetype)stringWithCharacters:(const unichar*)characters length:(NSUInteger)length;
- (nullable instancetype)initWithBytes:(const void*)bytes length:(NSUInteger)len encoding:(NSStringEncoding)encoding;
@property(nullable, readonly) const char* UTF8String NS_RETURNS_INNER_POINTER;
@property(readonly, copy) NSString* uppercaseString;
@end

@protocol NSCopying
- (id)copyWithZone:(nullable struct _NSZone*)zone;
@end

@interface NSValue : NSObject
@end

@interface NSNumber : NSValue
+ (NSNumber*)numberWithBool:(BOOL)value;
@end

@interface NSDictionary<__covariant KeyType, __covariant ObjectType> : NSObject
+ (instancetype)dictionaryWithObject:(ObjectType)object forKey:(KeyType<NSCopying>)key;
@end

// --- NSArray.h --------------------------------------------------------------

@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
@end

// What an array literal (@[ ... ]) is made with.
@interface NSArray <ObjectType>(NSArrayCreation)
+ (instancetype)arrayWithObjects:(const ObjectType _Nonnull[_Nonnull])objects count:(NSUInteger)cnt;
@end

// --- NSError.h, NSURL.h, NSNotification.h -----------------------------------

@interface NSError : NSObject
@property(readonly, copy) NSString* localizedDescription;
@end

@interface NSURL : NSObject
+ (NSURL*)fileURLWithPath:(NSString*)path;
@end

@interface NSNotification : NSObject
@end

// --- NSTimer.h, NSRunLoop.h -------------------------------------------------

@interface NSTimer : NSObject
+ (NSTimer*)scheduledTimerWithTimeInterval:(NSTimeInterval)interval
                                   repeats:(BOOL)repeats
                                     block:(void (^)(NSTimer* timer))block;
- (void)invalidate;
@end

typedef NSString* NSRunLoopMode;
FOUNDATION_EXPORT NSRunLoopMode const NSRunLoopCommonModes;

@interface NSRunLoop : NSObject
@property(class, readonly, strong) NSRunLoop* mainRunLoop;
- (void)addTimer:(NSTimer*)timer forMode:(NSRunLoopMode)mode;
@end

// --- NSUserDefaults.h -------------------------------------------------------

@interface NSUserDefaults : NSObject
@property(class, readonly, strong) NSUserDefaults* standardUserDefaults;
- (nullable id)objectForKey:(NSString*)defaultName;
- (NSInteger)integerForKey:(NSString*)defaultName;
- (void)setInteger:(NSInteger)value forKey:(NSString*)defaultName;
@end

// --- NSProcessInfo.h --------------------------------------------------------

typedef NS_OPTIONS(uint64_t, NSActivityOptions) {
    NSActivityIdleSystemSleepDisabled = (1ULL << 20),
    NSActivityUserInitiated = (0x00FFFFFFULL | NSActivityIdleSystemSleepDisabled),
    NSActivityUserInitiatedAllowingIdleSystemSleep = (NSActivityUserInitiated & ~NSActivityIdleSystemSleepDisabled),
};

@interface NSProcessInfo : NSObject
@property(class, readonly, strong) NSProcessInfo* processInfo;
@end

@interface NSProcessInfo (NSProcessInfoActivity)
- (id<NSObject>)beginActivityWithOptions:(NSActivityOptions)options reason:(NSString*)reason;
- (void)endActivity:(id<NSObject>)activity;
@end

// --- NSTask.h ---------------------------------------------------------------

@interface NSTask : NSObject
- (instancetype)init NS_DESIGNATED_INITIALIZER;
@property(nullable, copy) NSURL* executableURL;
@property(nullable, copy) NSArray<NSString*>* arguments;
- (BOOL)launchAndReturnError:(out NSError** _Nullable)error;
@end

NS_ASSUME_NONNULL_END
