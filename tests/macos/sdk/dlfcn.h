// <dlfcn.h> as macOS declares it.
#pragma once

#define RTLD_NOW 0x2

#ifdef __cplusplus
extern "C" {
#endif

extern int dlclose(void* __handle);
extern void* dlopen(const char* __path, int __mode);
extern void* dlsym(void* __handle, const char* __symbol);

#ifdef __cplusplus
}
#endif
