// The home-screen host of a Linux phone: the same runtime classes as the
// springboard host ("SpringBoard", "SBTelephonyManager", "TUCall",
// "TUCallCenter"), so the injected tweak installs its home-screen hooks, but
// its telephony is ModemManager's (modem_watcher.h): each call of a modem
// becomes one platform call object, and each of its states with a call status
// (call_states.h) one event through callEventHandler:, on the main queue.
// TUCallCenter disconnectCall: hangs the call up through ModemManager; the
// call's status 6 event follows when ModemManager reports it terminated (or
// the call vanishes).
//
// Before its first event an incoming call with a number is looked up in the
// address book (contacts.h); a contact's identifier becomes the call's
// contactIdentifier. The call's uniqueProxyIdentifier is a new UUID.
//
// It reports on out, one JSON object per line:
//   {"modem": PATH, "voice": true|false}     a modem's calls are followed, or no longer
//   {"call": PATH, "unique_id": ID, "status": N, "incoming": BOOL, "number": TEXT|null,
//    "contact": ID|null, "outcome": "passed"|"swallowed"|"blocked"}
//                                            one call event; "blocked": disconnected while
//                                            the tweak had it, "swallowed": kept from the
//                                            host's handler, "passed": the handler ran
//   {"call": PATH, "skipped": TEXT}          a call that gets no call event, and why
//   {"call": PATH, "hangup": "done"|"ended"|"failed", "error": TEXT}
//                                            a hang-up's result; "ended": the call had
//                                            ended before it
//   {"preferences": "updated"}               the preference notification has been
//                                            delivered (the tweak has reloaded its rules)
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "hosts/modem/contacts.h"
#include "hosts/modem/modem_watcher.h"
#include "platform/runtime.h"
#include "platform/telephony.h"
#include "statics/contracts/names.h"

namespace modem {

inline constexpr const char* kBundleIdentifier = kSpringBoardBundleIdentifier;

class ModemHost : public ModemListener {
 public:
  // Reports go to out; contacts may be null (no address book). Make it on
  // the main thread.
  ModemHost(std::FILE* out, ContactDirectory* contacts);
  ~ModemHost() override;
  ModemHost(const ModemHost&) = delete;
  ModemHost& operator=(const ModemHost&) = delete;

  // Registers the classes and takes over TUCallCenter's disconnects. Before injection.
  void registerClasses();
  // Sends applicationDidFinishLaunching: to the application object, then
  // registers for the preference notification (after the tweak, which
  // registers during the launch, so its reload runs first).
  void finishLaunching();
  // Where hang-ups go; null: nowhere (the call is reported as not hung up).
  void setWatcher(ModemWatcher* watcher) { watcher_ = watcher; }

  void modemAttached(const std::string& modemPath) override;
  void modemDetached(const std::string& modemPath) override;
  void callAppeared(const CallSnapshot& call) override;
  void callUnreadable(const std::string& path, const std::string& error) override;
  void callStateChanged(const std::string& path, int state, int reason) override;
  void callVanished(const std::string& path) override;

 private:
  struct Tracked {
    platform::TUCallRef call;
    std::optional<int> status;  // the last status delivered
  };
  struct Delivery {
    platform::TUCallRef call;
    bool hostHandlerRan = false;
    bool disconnected = false;
  };

  static void applicationDidFinishLaunching(platform::id self, platform::SEL cmd,
                                            platform::id application);
  static void callEventHandler(platform::id self, platform::SEL cmd,
                               platform::NSNotification* notification);

  void deliver(const std::string& path, Tracked& tracked, int status);
  void onDisconnect(const platform::TUCallRef& call);
  void skip(const std::string& path, const std::string& why);
  void print(const nlohmann::ordered_json& line);

  std::FILE* out_;
  ContactDirectory* contacts_;
  ModemWatcher* watcher_ = nullptr;
  std::thread::id mainThread_;
  std::shared_ptr<platform::NSObject> application_;
  std::shared_ptr<platform::NSObject> telephonyManager_;
  int preferenceToken_ = -1;
  std::map<std::string, Tracked> calls_;  // by call object path
  std::optional<Delivery> delivery_;
  // Disconnects posted from other threads reach the host only while this lives.
  std::shared_ptr<ModemHost*> self_ = std::make_shared<ModemHost*>(this);
};

}  // namespace modem
