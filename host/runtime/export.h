// Marks the functions the host runtime libraries export to the modules they load.
#pragma once

#if defined(_WIN32)
#define SFQP_HOST_EXPORT __declspec(dllexport)
#else
#define SFQP_HOST_EXPORT __attribute__((visibility("default")))
#endif
