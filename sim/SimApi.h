// What the simulated VISA library shows its users: the control API and the
// instrument classes that tests build on.
#pragma once

#if defined(_WIN32)
#if defined(ZSIM_BUILDING)
#define ZSIM_API __declspec(dllexport)
#else
#define ZSIM_API __declspec(dllimport)
#endif
#else
#define ZSIM_API __attribute__((visibility("default")))
#endif
