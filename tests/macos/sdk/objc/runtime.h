// <objc/runtime.h>: adding a method to a class at run time.
#pragma once

#include <objc/objc.h>

#pragma clang assume_nonnull begin

OBJC_EXPORT BOOL class_addMethod(Class _Nullable cls, SEL _Nonnull name, IMP _Nonnull imp, const char* _Nullable types);
OBJC_EXPORT const char* _Nonnull sel_getName(SEL _Nonnull sel);

#pragma clang assume_nonnull end
