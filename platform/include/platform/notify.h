// Darwin notifications: named, system-wide, payload-free events that cross
// processes. Posts to one name may coalesce into one delivery; a post is never
// lost while a process is registered for its name.
//
// Each name is a file under <root>/run/notify/ (the device root in force at the
// call); a post touches it, and every registered process watches the folder
// (inotify, one watcher thread per process) and runs its handlers on the queue
// given at registration. A process's own posts reach its own handlers too.
//
// A name is any string of 1 to 255 bytes without "/", other than "." and "..";
// anything else fails with NOTIFY_STATUS_FAILED. A process that forks must
// exec or _exit in the child.
//
// The folder repairs itself: a post makes it when it is missing, and a
// process whose watched folder was removed makes it again and watches it
// anew (retrying every half second while it cannot, with a line on standard
// error), then delivers once to each of its registrations there, since posts
// made meanwhile were not seen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/dispatch.h"

namespace platform {

constexpr uint32_t NOTIFY_STATUS_OK = 0;
constexpr uint32_t NOTIFY_STATUS_FAILED = 1000000;

// NOTIFY_STATUS_OK once the post is where every registered process sees it;
// NOTIFY_STATUS_FAILED when it reaches no one: a bad name, or a folder that
// is broken (a file in its place, a folder, FIFO or link at the name, no
// permission).
uint32_t notify_post(const char* name);

// Registers handler for name; it runs on queue (the main queue in this
// system) once per delivery, with the registration's token, which is stored
// in *out_token. The registration is in force when this returns: every later
// post is delivered. queue must outlive the registration's deliveries.
// Fails for a bad name, a null out_token or an empty handler.
uint32_t notify_register_dispatch(const char* name, int* out_token, DispatchQueue& queue,
                                  std::function<void(int token)> handler);

// Ends a registration; its handler is not called again, not even for a
// delivery already queued. Fails for a token that is not registered.
uint32_t notify_cancel(int token);

}  // namespace platform
