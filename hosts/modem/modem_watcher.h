// Follows ModemManager (org.freedesktop.ModemManager1) through libmm-glib:
// every modem object that has the Voice interface, whenever it appears or
// vanishes (hot-plug, the Voice interface added when a modem is enabled,
// ModemManager restarting or its bus name changing owner), and every call of
// those modems: a call object is read once (a Call proxy made for the path
// that CallAdded or the Calls property names), then followed through its
// StateChanged signal and its State property.
//
// What it sees goes to a listener, on the main thread (the thread-default
// GLib context of the thread that makes the watcher, see glib_loop.h).
// Failures of ModemManager or the bus are logged and reported to the
// listener, never thrown.
#pragma once

#include <gio/gio.h>
#include <libmm-glib.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "hosts/modem/gobject_ptr.h"
#include "statics/result.h"

namespace modem {

// A call as ModemManager first shows it. A property that is missing, or of
// another type than the Call interface gives it, reads as absent (number)
// or 0 (ModemManager's "unknown" for direction, state and reason).
struct CallSnapshot {
  std::string path;
  std::string modemPath;
  std::optional<std::string> number;
  int direction = 0;
  int state = 0;
  int stateReason = 0;
};

class ModemListener {
 public:
  virtual ~ModemListener() = default;
  // A modem's Voice interface is followed, or no longer.
  virtual void modemAttached(const std::string& modemPath) = 0;
  virtual void modemDetached(const std::string& modemPath) = 0;
  // A new call of a followed modem, read for the first time.
  virtual void callAppeared(const CallSnapshot& call) = 0;
  // A call that appeared could not be read; it is forgotten.
  virtual void callUnreadable(const std::string& path, const std::string& error) = 0;
  // A state that a call of callAppeared() has changed to (repeats are possible:
  // the signal and the property both report a change).
  virtual void callStateChanged(const std::string& path, int state, int reason) = 0;
  // The call is gone: deleted, or its modem or ModemManager went away.
  virtual void callVanished(const std::string& path) = 0;
};

enum class HangupResult {
  kDone,          // ModemManager hung the call up
  kAlreadyEnded,  // the call had ended (terminated or gone) before the hang-up
  kFailed,        // refused or failed; the error says why
};

using HangupDone = std::function<void(HangupResult result, const std::string& error)>;

class ModemWatcher {
 public:
  // Follows ModemManager on bus. The listener must outlive the watcher.
  ModemWatcher(GDBusConnection* bus, ModemListener& listener);
  // Stops following: signal handlers are disconnected and calls in flight
  // cancelled (their callbacks come to nothing).
  ~ModemWatcher();
  ModemWatcher(const ModemWatcher&) = delete;
  ModemWatcher& operator=(const ModemWatcher&) = delete;

  // Makes the object manager client and reports the modems there are now.
  // ModemManager need not be running: its modems are picked up when it starts.
  [[nodiscard]] Status start();

  // Hangs up a call with the Call interface's Hangup; done runs on the main
  // thread (not when the watcher is destroyed first).
  void hangup(const std::string& callPath, HangupDone done);

 private:
  struct Modem {
    GObjectPtr<MMModemVoice> voice;
  };
  struct Call {
    std::string modemPath;
    GObjectPtr<MMCall> proxy;  // null while it is being read
    int lastState = 0;
  };
  struct Request;

  static void onObjectAdded(GDBusObjectManager*, GDBusObject* object, gpointer self);
  static void onObjectRemoved(GDBusObjectManager*, GDBusObject* object, gpointer self);
  static void onInterfaceAdded(GDBusObjectManager*, GDBusObject* object, GDBusInterface* iface,
                               gpointer self);
  static void onInterfaceRemoved(GDBusObjectManager*, GDBusObject* object, GDBusInterface* iface,
                                 gpointer self);
  static void onNameOwner(GObject*, GParamSpec*, gpointer self);
  static void onCallAdded(MMModemVoice* voice, const gchar* path, gpointer self);
  static void onCallDeleted(MMModemVoice* voice, const gchar* path, gpointer self);
  static void onStateChanged(MMCall* call, gint oldState, gint newState, guint reason,
                             gpointer self);
  static void onStateProperty(GObject* call, GParamSpec*, gpointer self);
  static void onCallRead(GObject* source, GAsyncResult* result, gpointer request);
  static void onHangupDone(GObject* source, GAsyncResult* result, gpointer request);

  void attach(const std::string& modemPath, MMModemVoice* voice);
  void detach(const std::string& modemPath);
  void track(const std::string& callPath, const std::string& modemPath);
  void forget(const std::string& callPath);
  void stateSeen(MMCall* proxy, int state, int reason);

  GObjectPtr<GDBusConnection> bus_;
  ModemListener& listener_;
  GObjectPtr<GCancellable> cancellable_;
  GObjectPtr<MMManager> manager_;
  std::map<std::string, Modem> modems_;  // by modem object path
  std::map<std::string, Call> calls_;    // by call object path
  // Callbacks of calls in flight reach the watcher only while this lives.
  std::shared_ptr<ModemWatcher*> self_ = std::make_shared<ModemWatcher*>(this);
};

}  // namespace modem
