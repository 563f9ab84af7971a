#include "hosts/modem/modem_host.h"

#include <glib.h>

#include <utility>

#include "hosts/common/json_output.h"
#include "hosts/modem/call_states.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "platform/springboard.h"
#include "platform/ui_application.h"

namespace modem {

namespace {

using platform::Class;
using platform::id;
using platform::SEL;

constexpr char kCallStatusChanged[] = "TUCallCenterCallStatusChangedNotification";
// Numbers longer than this are shortened in log lines (not in reports).
constexpr size_t kLoggedNumberLength = 40;

class HostObject : public platform::NSObject {
 public:
  HostObject(Class cls, ModemHost* host) : NSObject(cls), host(host) {}
  ModemHost* const host;
};

Class hostClass(const char* name) {
  if (Class cls = platform::objc_getClass(name)) return cls;
  return platform::objc_registerClass(name, platform::NSObject::objcClass());
}

std::string loggedNumber(const std::optional<std::string>& number) {
  if (!number) return "no number";
  if (number->empty()) return "an empty number";
  if (number->size() <= kLoggedNumberLength) return "number " + *number;
  return "number " + number->substr(0, kLoggedNumberLength) + "... (" +
         std::to_string(number->size()) + " bytes)";
}

nlohmann::ordered_json optionalText(const std::optional<std::string>& text) {
  return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

std::string newUniqueId() {
  g_autofree gchar* uuid = g_uuid_string_random();
  return uuid;
}

}  // namespace

ModemHost::ModemHost(std::FILE* out, ContactDirectory* contacts)
    : out_(out), contacts_(contacts), mainThread_(std::this_thread::get_id()) {}

ModemHost::~ModemHost() {
  platform::TUCallCenter::sharedInstance().setDisconnectHandler(nullptr);
  if (preferenceToken_ >= 0) platform::notify_cancel(preferenceToken_);
}

void ModemHost::registerClasses() {
  const Class springBoard = hostClass(platform::kSpringBoardClassName);
  platform::class_addMethod(
      springBoard, platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      &applicationDidFinishLaunching, "v@:@");
  const Class manager = hostClass(platform::kTelephonyManagerClassName);
  platform::class_addMethod(manager,
                            platform::sel_registerName(platform::kCallEventHandlerSelector),
                            &callEventHandler, "v@:@");
  hostClass("TUCall");
  hostClass("TUCallCenter");

  application_ = std::make_shared<HostObject>(springBoard, this);
  telephonyManager_ = std::make_shared<HostObject>(manager, this);

  platform::TUCallCenter::sharedInstance().setDisconnectHandler(
      [this, self = std::weak_ptr(self_)](const platform::TUCallRef& call) {
        if (std::this_thread::get_id() == mainThread_) {
          onDisconnect(call);
          return;
        }
        platform::mainQueue().async([self, call] {
          if (auto host = self.lock()) (*host)->onDisconnect(call);
        });
      });
}

void ModemHost::finishLaunching() {
  platform::objc_msgSend<void, id>(
      application_.get(),
      platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      application_.get());
  if (platform::notify_register_dispatch(kPreferenceUpdatedNotification, &preferenceToken_,
                                         platform::mainQueue(), [this](int) {
                                           print({{"preferences", "updated"}});
                                         }) != platform::NOTIFY_STATUS_OK) {
    preferenceToken_ = -1;
  }
}

void ModemHost::applicationDidFinishLaunching(id, SEL, id) {
  // The home screen is up; nothing else to do here.
}

void ModemHost::callEventHandler(id self, SEL, platform::NSNotification* notification) {
  ModemHost* host = static_cast<HostObject*>(self)->host;
  if (host->delivery_ && notification != nullptr && notification->object == host->delivery_->call) {
    host->delivery_->hostHandlerRan = true;
  }
}

void ModemHost::modemAttached(const std::string& modemPath) {
  g_printerr("hushgate-modem: following the calls of %s\n", modemPath.c_str());
  print({{"modem", modemPath}, {"voice", true}});
}

void ModemHost::modemDetached(const std::string& modemPath) {
  g_printerr("hushgate-modem: %s has gone\n", modemPath.c_str());
  print({{"modem", modemPath}, {"voice", false}});
}

void ModemHost::callAppeared(const CallSnapshot& snapshot) {
  g_printerr("hushgate-modem: call %s: %s, %s, %s\n", snapshot.path.c_str(),
             callDirectionName(snapshot.direction), callStateName(snapshot.state),
             loggedNumber(snapshot.number).c_str());
  if (snapshot.direction != MM_CALL_DIRECTION_INCOMING &&
      snapshot.direction != MM_CALL_DIRECTION_OUTGOING) {
    skip(snapshot.path, "its direction is unknown");
    return;
  }
  const std::optional<int> status = callStatusForState(snapshot.state);
  if (status == kCallStatusEnded) {
    skip(snapshot.path, "it ended before it was seen");
    return;
  }
  auto call = std::make_shared<platform::TUCall>();
  call->isIncoming = snapshot.direction == MM_CALL_DIRECTION_INCOMING;
  if (snapshot.number && !snapshot.number->empty()) {
    call->handle = platform::TUHandle{*snapshot.number};
  }
  call->uniqueProxyIdentifier = newUniqueId();
  Tracked& tracked = calls_[snapshot.path];
  tracked = Tracked{call, std::nullopt};
  if (!status) {
    g_printerr("hushgate-modem: call %s: no event until its state is known\n",
               snapshot.path.c_str());
    return;
  }
  deliver(snapshot.path, tracked, *status);
}

void ModemHost::callUnreadable(const std::string& path, const std::string& error) {
  skip(path, "it cannot be read: " + error);
}

void ModemHost::callStateChanged(const std::string& path, int state, int reason) {
  const auto it = calls_.find(path);
  if (it == calls_.end()) return;
  const std::optional<int> status = callStatusForState(state);
  if (!status || status == it->second.status) return;
  g_printerr("hushgate-modem: call %s: %s (reason %d)\n", path.c_str(), callStateName(state),
             reason);
  if (!it->second.status && status == kCallStatusEnded) {
    calls_.erase(it);
    skip(path, "it ended before its state was known");
    return;
  }
  deliver(path, it->second, *status);
  if (status == kCallStatusEnded) calls_.erase(path);
}

void ModemHost::callVanished(const std::string& path) {
  const auto it = calls_.find(path);
  if (it == calls_.end()) return;
  if (it->second.status) {
    // Gone without ending (its modem went away): the call is over all the same.
    g_printerr("hushgate-modem: call %s vanished\n", path.c_str());
    deliver(path, it->second, kCallStatusEnded);
  }
  calls_.erase(path);
}

void ModemHost::deliver(const std::string& path, Tracked& tracked, int status) {
  const platform::TUCallRef call = tracked.call;
  if (!tracked.status && call->isIncoming && call->handle && contacts_ != nullptr) {
    call->contactIdentifier = contacts_->contactForNumber(call->handle->value);
  }
  tracked.status = status;
  call->status = status;

  platform::NSNotification notification{kCallStatusChanged, call};
  delivery_ = Delivery{call};
  platform::objc_msgSend<void, platform::NSNotification*>(
      telephonyManager_.get(), platform::sel_registerName(platform::kCallEventHandlerSelector),
      &notification);
  const Delivery done = *delivery_;
  delivery_.reset();

  const char* outcome = done.hostHandlerRan ? "passed"
                        : done.disconnected ? "blocked"
                                            : "swallowed";
  nlohmann::ordered_json line;
  line["call"] = path;
  line["unique_id"] = call->uniqueProxyIdentifier;
  line["status"] = status;
  line["incoming"] = call->isIncoming;
  line["number"] = call->handle ? nlohmann::ordered_json(call->handle->value) : nullptr;
  line["contact"] = optionalText(call->contactIdentifier);
  line["outcome"] = outcome;
  print(line);
}

void ModemHost::onDisconnect(const platform::TUCallRef& call) {
  if (call == nullptr) return;
  if (delivery_ && call == delivery_->call) delivery_->disconnected = true;
  std::string path;
  for (const auto& [callPath, tracked] : calls_) {
    if (tracked.call == call) path = callPath;
  }
  if (path.empty()) return;  // already ended and forgotten
  if (watcher_ == nullptr) {
    print({{"call", path}, {"hangup", "failed"}, {"error", "not connected to ModemManager"}});
    return;
  }
  watcher_->hangup(path, [this, path](HangupResult result, const std::string& error) {
    const char* word = result == HangupResult::kDone           ? "done"
                       : result == HangupResult::kAlreadyEnded ? "ended"
                                                               : "failed";
    if (result == HangupResult::kFailed) {
      g_printerr("hushgate-modem: cannot hang up %s: %s\n", path.c_str(), error.c_str());
    } else if (result == HangupResult::kAlreadyEnded) {
      g_printerr("hushgate-modem: %s had ended before the hang-up\n", path.c_str());
    }
    print({{"call", path}, {"hangup", word}, {"error", error}});
  });
}

void ModemHost::skip(const std::string& path, const std::string& why) {
  g_printerr("hushgate-modem: call %s skipped: %s\n", path.c_str(), why.c_str());
  print({{"call", path}, {"skipped", why}});
}

void ModemHost::print(const nlohmann::ordered_json& line) {
  hosts::printJsonLine(out_, line);
}

}  // namespace modem
