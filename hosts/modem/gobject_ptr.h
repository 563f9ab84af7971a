// Owning handles for the GLib objects the modem host keeps beyond one
// function: a GObject reference and a GError, released when the handle goes.
// Within one function g_autoptr does the same job.
#pragma once

#include <glib-object.h>

#include <memory>
#include <string>

namespace modem {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};

// Owns one reference to a GObject of type T.
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes over a reference the caller already owns (a _new or _dup result).
template <typename T>
GObjectPtr<T> adopt(T* object) {
  return GObjectPtr<T>(object);
}

// Takes a new reference to an object owned elsewhere (a _get or _peek result).
template <typename T>
GObjectPtr<T> share(T* object) {
  if (object != nullptr) g_object_ref(object);
  return GObjectPtr<T>(object);
}

struct GErrorFree {
  void operator()(GError* error) const {
    if (error != nullptr) g_error_free(error);
  }
};

using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

// The message of an error for a log line; "unknown error" for none.
inline std::string errorText(const GError* error) {
  return error != nullptr && error->message != nullptr ? error->message : "unknown error";
}

}  // namespace modem
