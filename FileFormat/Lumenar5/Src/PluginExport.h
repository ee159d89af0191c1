// Visibility and calling conventions of the module's exported functions.
//
// The module is built with hidden visibility: only what is marked LUMENAR_EXPORT leaves it. Exports
// use the C calling convention where the caller removes the arguments (LUMENAR_CDECL); callbacks the
// host hands the module use the same convention.
#pragma once

#if defined(_WIN32)
#define LUMENAR_EXPORT __declspec(dllexport)
#else
#define LUMENAR_EXPORT __attribute__((visibility("default")))
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define LUMENAR_CDECL __attribute__((__cdecl__))
#else
#define LUMENAR_CDECL
#endif
