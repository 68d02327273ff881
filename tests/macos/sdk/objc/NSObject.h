// <objc/NSObject.h>: the root class and the NSObject protocol.
#pragma once

#include <objc/objc.h>

#pragma clang assume_nonnull begin

@class NSString;

@protocol NSObject
@property(readonly, copy) NSString* description;
@end

OBJC_ROOT_CLASS
@interface NSObject <NSObject> {
    Class isa;
}
+ (instancetype)alloc;
- (instancetype)init;
@end

#pragma clang assume_nonnull end
