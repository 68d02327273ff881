// <objc/runtime.h>: tying one object's life to another's.
#pragma once

#include <objc/objc.h>
#include <stdint.h>

#pragma clang assume_nonnull begin

// What OBJC_ENUM(uintptr_t, objc_AssociationPolicy) expands to.
typedef uintptr_t objc_AssociationPolicy;
enum : uintptr_t {
    OBJC_ASSOCIATION_ASSIGN = 0,
    OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
    OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
    OBJC_ASSOCIATION_RETAIN = 01401,
    OBJC_ASSOCIATION_COPY = 01403,
};

OBJC_EXPORT void objc_setAssociatedObject(id _Nonnull object, const void* _Nonnull key, id _Nullable value,
                                          objc_AssociationPolicy policy);

#pragma clang assume_nonnull end
