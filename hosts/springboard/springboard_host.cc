#include "hosts/springboard/springboard_host.h"

#include <utility>

#include "hosts/common/json_output.h"
#include "hosts/common/line_reader.h"
#include "platform/dispatch.h"
#include "platform/springboard.h"
#include "platform/ui_application.h"

namespace springboard {

namespace {

using platform::Class;
using platform::id;
using platform::SEL;

constexpr char kCallStatusChanged[] = "TUCallCenterCallStatusChangedNotification";

// The host's objects: they lead back to the host.
class HostObject : public platform::NSObject {
 public:
  HostObject(Class cls, SpringBoardHost* host) : NSObject(cls), host(host) {}
  SpringBoardHost* const host;
};

Class hostClass(const char* name) {
  if (Class cls = platform::objc_getClass(name)) return cls;
  return platform::objc_registerClass(name, platform::NSObject::objcClass());
}

}  // namespace

SpringBoardHost::SpringBoardHost(std::FILE* out)
    : out_(out), mainThread_(std::this_thread::get_id()) {}

SpringBoardHost::~SpringBoardHost() {
  platform::TUCallCenter::sharedInstance().setDisconnectHandler(nullptr);
}

void SpringBoardHost::registerClasses() {
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
      [this](const platform::TUCallRef& call) {
        if (std::this_thread::get_id() == mainThread_) {
          onDisconnect(call);
        } else {
          platform::mainQueue().async([this, call] {
            onDisconnect(call);
            pump();
          });
        }
      });
}

void SpringBoardHost::finishLaunching() {
  platform::objc_msgSend<void, id>(
      application_.get(),
      platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      application_.get());
}

void SpringBoardHost::applicationDidFinishLaunching(id, SEL, id) {
  // The home screen is up; nothing else to do in this stand-in.
}

void SpringBoardHost::callEventHandler(id self, SEL, platform::NSNotification* notification) {
  SpringBoardHost* host = static_cast<HostObject*>(self)->host;
  if (host->delivery_ && notification != nullptr && notification->object == host->delivery_->call) {
    host->delivery_->hostHandlerRan = true;
  }
}

void SpringBoardHost::addLine(std::optional<std::string> line) {
  lines_.push_back(std::move(line));
  pump();
}

void SpringBoardHost::endOfInput() {
  inputEnded_ = true;
  pump();
}

void SpringBoardHost::pump() {
  if (pumping_) return;  // a delivery in progress picks up the new work
  pumping_ = true;
  // Whatever a delivery throws, the next pump is not turned away.
  const struct Done {
    bool& pumping;
    ~Done() { pumping = false; }
  } done{pumping_};
  while (!sleeping_) {
    if (!telephonyEvents_.empty()) {
      Event event = std::move(telephonyEvents_.front());
      telephonyEvents_.pop_front();
      ending_.erase(event.call.get());
      event.call->status = event.status;
      deliver(event);
    } else if (!lines_.empty()) {
      std::optional<std::string> line = std::move(lines_.front());
      lines_.pop_front();
      handleLine(line);
      if (lineDone_) lineDone_();
    } else {
      if (inputEnded_ && !draining_) {
        draining_ = true;
        platform::globalQueue().async([finished = finished_] {
          platform::mainQueue().async([finished] { *finished = true; });
        });
      }
      break;
    }
  }
}

void SpringBoardHost::handleLine(const std::optional<std::string>& line) {
  ++lineNumber_;
  const Result<ScriptLine> parsed =
      line ? parseScriptLine(*line)
           : Result<ScriptLine>(fail("longer than " +
                                     std::to_string(hosts::LineReader::kMaxLineLength) + " bytes"));
  if (!parsed) {
    ++badLines_;
    std::fprintf(stderr, "springboard: line %d: %s; skipped\n", lineNumber_,
                 parsed.error().c_str());
    return;
  }
  if (const auto* sleep = std::get_if<Sleep>(&*parsed)) {
    sleeping_ = true;
    platform::mainQueue().after(sleep->duration, [this] {
      sleeping_ = false;
      pump();
    });
    return;
  }
  if (const auto* callEvent = std::get_if<CallEvent>(&*parsed)) {
    auto [it, isNew] = calls_.try_emplace(callKey(*callEvent));
    if (isNew) {
      it->second.call = std::make_shared<platform::TUCall>();
      it->second.id = callEvent->call;
    }
    applyCallEvent(*callEvent, isNew, *it->second.call);
    deliver(Event{it->second.call, callEvent->call, callEvent->status});
  }
}

void SpringBoardHost::deliver(const Event& event) {
  platform::NSNotification notification{kCallStatusChanged, event.call};
  delivery_ = Delivery{event.call};
  platform::objc_msgSend<void, platform::NSNotification*>(
      telephonyManager_.get(), platform::sel_registerName(platform::kCallEventHandlerSelector),
      &notification);
  const Delivery done = *delivery_;
  delivery_.reset();
  report(event, done.hostHandlerRan ? "passed" : done.disconnected ? "disconnected" : "swallowed");
}

void SpringBoardHost::onDisconnect(const platform::TUCallRef& call) {
  if (call == nullptr) return;
  if (delivery_ && call == delivery_->call) delivery_->disconnected = true;
  if (call->status == platform::kTUCallStatusDisconnected || ending_.count(call.get()) > 0) return;
  ending_.insert(call.get());
  nlohmann::ordered_json id;
  for (const auto& [key, known] : calls_) {
    if (known.call == call) id = known.id;
  }
  telephonyEvents_.push_back(Event{call, id, platform::kTUCallStatusDisconnected});
}

void SpringBoardHost::report(const Event& event, const char* outcome) {
  nlohmann::ordered_json line;
  line["call"] = event.id;
  line["status"] = event.status;
  line["outcome"] = outcome;
  hosts::printJsonLine(out_, line);
}

}  // namespace springboard
