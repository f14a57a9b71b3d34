// Calling convention and symbol visibility of what a plug-in exports.
#pragma once

#if defined(_WIN32)
// The host is a 32-bit Windows program: exports and its channel callback use
// the callee-cleans convention; the names and ordinals come from the .def file.
#define ZVDS_STDCALL __stdcall
#define ZVDS_EXPORT
#else
#define ZVDS_STDCALL
#define ZVDS_EXPORT __attribute__((visibility("default")))
#endif
