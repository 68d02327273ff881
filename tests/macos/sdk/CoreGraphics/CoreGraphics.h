// <CoreGraphics/CoreGraphics.h>: the geometry types (LP64: CGFloat is double)
// and the session dictionary.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

typedef double CGFloat;

struct CGPoint {
    CGFloat x;
    CGFloat y;
};
typedef struct CGPoint CGPoint;

struct CGSize {
    CGFloat width;
    CGFloat height;
};
typedef struct CGSize CGSize;

struct CGRect {
    CGPoint origin;
    CGSize size;
};
typedef struct CGRect CGRect;

extern "C" CFDictionaryRef _Nullable CGSessionCopyCurrentDictionary(void);
