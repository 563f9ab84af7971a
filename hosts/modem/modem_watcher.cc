#include "hosts/modem/modem_watcher.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace modem {

namespace {

void logLine(const std::string& text) {
  std::fprintf(stderr, "hushgate-modem: %s\n", text.c_str());
}

// Whether a failed Hangup says that the call was no longer there to hang up:
// ModemManager refuses to hang up a terminated call with WrongState, and a
// call object that is gone answers as an unknown object or method.
bool endedError(const GError* error) {
  if (g_error_matches(error, MM_CORE_ERROR, MM_CORE_ERROR_WRONG_STATE)) return true;
  if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT) ||
      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD) ||
      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_INTERFACE)) {
    return true;
  }
  return false;
}

}  // namespace

// The state of one asynchronous call: it leads back to the watcher while the
// watcher lives.
struct ModemWatcher::Request {
  std::weak_ptr<ModemWatcher*> watcher;
  std::string path;
  HangupDone done;

  ModemWatcher* live() const {
    const std::shared_ptr<ModemWatcher*> self = watcher.lock();
    return self ? *self : nullptr;
  }
};

ModemWatcher::ModemWatcher(GDBusConnection* bus, ModemListener& listener)
    : bus_(share(bus)), listener_(listener), cancellable_(adopt(g_cancellable_new())) {}

ModemWatcher::~ModemWatcher() {
  self_.reset();
  g_cancellable_cancel(cancellable_.get());
  for (auto& [path, call] : calls_) {
    if (call.proxy) g_signal_handlers_disconnect_by_data(call.proxy.get(), this);
  }
  for (auto& [path, modem] : modems_) {
    g_signal_handlers_disconnect_by_data(modem.voice.get(), this);
  }
  if (manager_) g_signal_handlers_disconnect_by_data(manager_.get(), this);
}

Status ModemWatcher::start() {
  // Registers ModemManager's D-Bus error names, so that a refused Hangup
  // comes back in MM_CORE_ERROR.
  g_type_ensure(MM_TYPE_CORE_ERROR);
  (void)MM_CORE_ERROR;
  GError* raw = nullptr;
  manager_ = adopt(mm_manager_new_sync(
      bus_.get(), G_DBUS_OBJECT_MANAGER_CLIENT_FLAGS_DO_NOT_AUTO_START, cancellable_.get(), &raw));
  const GErrorPtr error(raw);
  if (!manager_) return fail("cannot follow ModemManager: " + errorText(error.get()));

  g_signal_connect(manager_.get(), "object-added", G_CALLBACK(onObjectAdded), this);
  g_signal_connect(manager_.get(), "object-removed", G_CALLBACK(onObjectRemoved), this);
  g_signal_connect(manager_.get(), "interface-added", G_CALLBACK(onInterfaceAdded), this);
  g_signal_connect(manager_.get(), "interface-removed", G_CALLBACK(onInterfaceRemoved), this);
  g_signal_connect(manager_.get(), "notify::name-owner", G_CALLBACK(onNameOwner), this);

  g_autofree gchar* owner =
      g_dbus_object_manager_client_get_name_owner(G_DBUS_OBJECT_MANAGER_CLIENT(manager_.get()));
  logLine(owner != nullptr ? std::string("ModemManager is running as ") + owner
                           : "ModemManager is not running; waiting for it");
  GList* objects = g_dbus_object_manager_get_objects(G_DBUS_OBJECT_MANAGER(manager_.get()));
  for (GList* item = objects; item != nullptr; item = item->next) {
    onObjectAdded(nullptr, G_DBUS_OBJECT(item->data), this);
  }
  g_list_free_full(objects, g_object_unref);
  return {};
}

void ModemWatcher::onNameOwner(GObject* manager, GParamSpec*, gpointer) {
  g_autofree gchar* owner =
      g_dbus_object_manager_client_get_name_owner(G_DBUS_OBJECT_MANAGER_CLIENT(manager));
  logLine(owner != nullptr ? std::string("ModemManager appeared as ") + owner
                           : "ModemManager went away; waiting for it to come back");
}

void ModemWatcher::onObjectAdded(GDBusObjectManager*, GDBusObject* object, gpointer self) {
  if (!MM_IS_OBJECT(object)) return;
  MMModemVoice* voice = mm_object_peek_modem_voice(MM_OBJECT(object));
  if (voice != nullptr) {
    static_cast<ModemWatcher*>(self)->attach(g_dbus_object_get_object_path(object), voice);
  }
}

void ModemWatcher::onObjectRemoved(GDBusObjectManager*, GDBusObject* object, gpointer self) {
  static_cast<ModemWatcher*>(self)->detach(g_dbus_object_get_object_path(object));
}

void ModemWatcher::onInterfaceAdded(GDBusObjectManager*, GDBusObject* object, GDBusInterface* iface,
                                    gpointer self) {
  if (MM_IS_MODEM_VOICE(iface)) {
    static_cast<ModemWatcher*>(self)->attach(g_dbus_object_get_object_path(object),
                                             MM_MODEM_VOICE(iface));
  }
}

void ModemWatcher::onInterfaceRemoved(GDBusObjectManager*, GDBusObject* object,
                                      GDBusInterface* iface, gpointer self) {
  if (MM_IS_MODEM_VOICE(iface)) {
    static_cast<ModemWatcher*>(self)->detach(g_dbus_object_get_object_path(object));
  }
}

void ModemWatcher::attach(const std::string& modemPath, MMModemVoice* voice) {
  const auto known = modems_.find(modemPath);
  if (known != modems_.end() && known->second.voice.get() == voice) return;
  if (known != modems_.end()) {
    // The object manager made a new proxy for the same modem (its objects
    // were announced again while a new owner's were being read): only the
    // new one hears the modem's signals.
    g_signal_handlers_disconnect_by_data(known->second.voice.get(), this);
    known->second.voice = share(voice);
  } else {
    modems_[modemPath] = Modem{share(voice)};
    listener_.modemAttached(modemPath);
  }
  g_signal_connect(voice, "call-added", G_CALLBACK(onCallAdded), this);
  g_signal_connect(voice, "call-deleted", G_CALLBACK(onCallDeleted), this);
  // Calls the modem has already.
  const gchar* const* calls = mm_gdbus_modem_voice_get_calls(MM_GDBUS_MODEM_VOICE(voice));
  for (const gchar* const* path = calls; path != nullptr && *path != nullptr; ++path) {
    track(*path, modemPath);
  }
}

void ModemWatcher::detach(const std::string& modemPath) {
  const auto it = modems_.find(modemPath);
  if (it == modems_.end()) return;
  std::vector<std::string> gone;
  for (const auto& [path, call] : calls_) {
    if (call.modemPath == modemPath) gone.push_back(path);
  }
  for (const std::string& path : gone) forget(path);
  g_signal_handlers_disconnect_by_data(it->second.voice.get(), this);
  modems_.erase(it);
  listener_.modemDetached(modemPath);
}

void ModemWatcher::onCallAdded(MMModemVoice* voice, const gchar* path, gpointer self) {
  static_cast<ModemWatcher*>(self)->track(path, mm_modem_voice_get_path(voice));
}

void ModemWatcher::onCallDeleted(MMModemVoice*, const gchar* path, gpointer self) {
  static_cast<ModemWatcher*>(self)->forget(path);
}

void ModemWatcher::track(const std::string& callPath, const std::string& modemPath) {
  if (!g_variant_is_object_path(callPath.c_str()) || calls_.count(callPath) > 0) return;
  calls_[callPath] = Call{modemPath, nullptr, 0};
  // The proxy reads every property (GetAll) before it is handed over; it
  // knows the Call interface, so a property of another type is left out.
  g_async_initable_new_async(MM_TYPE_CALL, G_PRIORITY_DEFAULT, cancellable_.get(), &onCallRead,
                             new Request{self_, callPath, nullptr}, "g-connection", bus_.get(),
                             "g-name", MM_DBUS_SERVICE, "g-object-path", callPath.c_str(),
                             "g-interface-name", MM_DBUS_INTERFACE_CALL, "g-flags",
                             G_DBUS_PROXY_FLAGS_DO_NOT_AUTO_START, nullptr);
}

void ModemWatcher::onCallRead(GObject* source, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<Request> request(static_cast<Request*>(data));
  GError* raw = nullptr;
  GObjectPtr<MMCall> proxy(
      MM_CALL(g_async_initable_new_finish(G_ASYNC_INITABLE(source), result, &raw)));
  const GErrorPtr error(raw);
  ModemWatcher* self = request->live();
  if (self == nullptr) return;
  const auto it = self->calls_.find(request->path);
  if (it == self->calls_.end()) return;  // deleted while it was being read
  if (!proxy) {
    self->calls_.erase(it);
    self->listener_.callUnreadable(request->path, errorText(error.get()));
    return;
  }
  MMCall* call = proxy.get();
  it->second.proxy = std::move(proxy);
  it->second.lastState = mm_call_get_state(call);
  g_signal_connect(call, "state-changed", G_CALLBACK(onStateChanged), self);
  g_signal_connect(call, "notify::state", G_CALLBACK(onStateProperty), self);

  CallSnapshot snapshot;
  snapshot.path = request->path;
  snapshot.modemPath = it->second.modemPath;
  if (const gchar* number = mm_call_get_number(call)) snapshot.number = number;
  snapshot.direction = mm_call_get_direction(call);
  snapshot.state = mm_call_get_state(call);
  snapshot.stateReason = mm_call_get_state_reason(call);
  self->listener_.callAppeared(snapshot);
}

void ModemWatcher::onStateChanged(MMCall* call, gint, gint newState, guint reason, gpointer self) {
  static_cast<ModemWatcher*>(self)->stateSeen(call, newState, static_cast<int>(reason));
}

void ModemWatcher::onStateProperty(GObject* call, GParamSpec*, gpointer self) {
  static_cast<ModemWatcher*>(self)->stateSeen(MM_CALL(call), mm_call_get_state(MM_CALL(call)),
                                              mm_call_get_state_reason(MM_CALL(call)));
}

void ModemWatcher::stateSeen(MMCall* proxy, int state, int reason) {
  const std::string path = mm_call_get_path(proxy);
  const auto it = calls_.find(path);
  if (it == calls_.end()) return;
  it->second.lastState = state;
  listener_.callStateChanged(path, state, reason);
}

void ModemWatcher::forget(const std::string& callPath) {
  const auto it = calls_.find(callPath);
  if (it == calls_.end()) return;
  const bool appeared = it->second.proxy != nullptr;
  if (appeared) g_signal_handlers_disconnect_by_data(it->second.proxy.get(), this);
  calls_.erase(it);
  if (appeared) listener_.callVanished(callPath);
}

void ModemWatcher::hangup(const std::string& callPath, HangupDone done) {
  const auto it = calls_.find(callPath);
  if (it == calls_.end() || !it->second.proxy) {
    done(HangupResult::kAlreadyEnded, "the call is gone");
    return;
  }
  if (it->second.lastState == MM_CALL_STATE_TERMINATED) {
    done(HangupResult::kAlreadyEnded, "the call is terminated");
    return;
  }
  mm_call_hangup(it->second.proxy.get(), cancellable_.get(), &onHangupDone,
                 new Request{self_, callPath, std::move(done)});
}

void ModemWatcher::onHangupDone(GObject* source, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<Request> request(static_cast<Request*>(data));
  GError* raw = nullptr;
  const gboolean ok = mm_call_hangup_finish(MM_CALL(source), result, &raw);
  const GErrorPtr error(raw);
  ModemWatcher* self = request->live();
  if (self == nullptr) return;
  if (ok) {
    request->done(HangupResult::kDone, "");
    return;
  }
  // The call may have ended on its own while the request was on its way.
  const auto it = self->calls_.find(request->path);
  const bool ended = it == self->calls_.end() || it->second.lastState == MM_CALL_STATE_TERMINATED ||
                     endedError(error.get());
  if (error) g_dbus_error_strip_remote_error(error.get());
  request->done(ended ? HangupResult::kAlreadyEnded : HangupResult::kFailed,
                errorText(error.get()));
}

}  // namespace modem
