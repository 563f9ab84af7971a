// Darwin notifications: named, system-wide, payload-free events that cross
// processes. Posts to one name may coalesce into one delivery; a post is never
// lost while a process is registered for its name.
//
// Each name is a file under <root>/run/notify/; a post touches it, and every
// registered process watches the folder (inotify) and runs its handlers on the
// queue given at registration.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/dispatch.h"

namespace platform {

constexpr uint32_t NOTIFY_STATUS_OK = 0;
constexpr uint32_t NOTIFY_STATUS_FAILED = 1000000;

uint32_t notify_post(const char* name);

// Registers handler for name; it runs on queue (the main queue in this
// system) once per delivery, with the registration's token.
uint32_t notify_register_dispatch(const char* name, int* out_token, DispatchQueue& queue,
                                  std::function<void(int token)> handler);

// Ends a registration; its handler is not called again.
uint32_t notify_cancel(int token);

}  // namespace platform
