// <objc/objc.h>: the runtime's basic types (arm64 flavour: BOOL is bool).
#pragma once

#include <TargetConditionals.h>

typedef struct objc_class* Class;
typedef struct objc_object {
    Class isa;
} * id;
typedef struct objc_selector* SEL;
typedef void (*IMP)(void /* id, SEL, ... */);

#if TARGET_CPU_ARM64
typedef bool BOOL;
#else
typedef signed char BOOL;
#endif

#define YES __objc_yes
#define NO __objc_no

#ifndef nil
#if __has_feature(cxx_nullptr)
#define nil nullptr
#else
#define nil ((void*)0)
#endif
#endif

#ifndef OBJC_EXPORT
#ifdef __cplusplus
#define OBJC_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define OBJC_EXPORT extern __attribute__((visibility("default")))
#endif
#endif

#define OBJC_ROOT_CLASS __attribute__((objc_root_class))
