// The home-screen host: its classes in the runtime ("SpringBoard",
// "SBTelephonyManager", and the telephony classes "TUCall" and
// "TUCallCenter"), and the delivery of a call script's events to
// callEventHandler: on the main queue, through the runtime, so that an
// injected hook sees each event first.
//
// Events are delivered one at a time, in script order; a call disconnected
// during a delivery has its status 6 event delivered next, before the rest of
// the script. Each delivered event is reported as one JSON line of what the
// host saw:
//   {"call": ID, "status": N, "outcome": "passed"|"swallowed"|"disconnected"}
// "passed": the host's own handler ran. "disconnected": it did not, and the
// call was disconnected during the delivery. "swallowed": neither. Why a
// call was disconnected is the tweak's business: its block history
// (hushgate-report joins the two).
//
// At the end of input the host ends once the tasks queued on the global queue
// before then have started (the queue starts tasks in order, and the platform
// lets running tasks finish at exit), so work that an injected library queued
// for an event, such as a block record, is not dropped because the script
// ended.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "hosts/springboard/call_script.h"
#include "platform/runtime.h"
#include "platform/telephony.h"
#include "statics/contracts/names.h"

namespace springboard {

inline constexpr const char* kBundleIdentifier = kSpringBoardBundleIdentifier;

class SpringBoardHost {
 public:
  // Reports go to out. Make it on the main thread.
  explicit SpringBoardHost(std::FILE* out);
  ~SpringBoardHost();
  SpringBoardHost(const SpringBoardHost&) = delete;
  SpringBoardHost& operator=(const SpringBoardHost&) = delete;

  // Registers the classes and takes over TUCallCenter's disconnects. Before
  // injection.
  void registerClasses();
  // Sends applicationDidFinishLaunching: to the application object.
  void finishLaunching();

  // Script input, on the main queue: a line (nullopt: too long), then the end.
  void addLine(std::optional<std::string> line);
  void endOfInput();
  // Runs once for each added line when the host is done with it, so that
  // the input is read no faster than it is handled.
  void setLineDone(std::function<void()> lineDone) { lineDone_ = std::move(lineDone); }

  // The script has ended and all its work is done.
  bool finished() const { return *finished_; }
  // Some line was bad (reported on stderr and skipped).
  bool hadBadLines() const { return badLines_ > 0; }

 private:
  struct Event {
    platform::TUCallRef call;
    nlohmann::ordered_json id;
    int status = 0;
  };
  struct Delivery {
    platform::TUCallRef call;
    bool hostHandlerRan = false;
    bool disconnected = false;
  };

  // The host's own methods.
  static void applicationDidFinishLaunching(platform::id self, platform::SEL cmd,
                                            platform::id application);
  static void callEventHandler(platform::id self, platform::SEL cmd,
                               platform::NSNotification* notification);

  void pump();
  void handleLine(const std::optional<std::string>& line);
  void deliver(const Event& event);
  void onDisconnect(const platform::TUCallRef& call);
  void report(const Event& event, const char* outcome);

  std::FILE* out_;
  std::function<void()> lineDone_;
  std::thread::id mainThread_;
  std::shared_ptr<platform::NSObject> application_;
  std::shared_ptr<platform::NSObject> telephonyManager_;

  std::map<std::string, Event> calls_;        // by call key; status unused
  std::set<const platform::TUCall*> ending_;  // disconnected, status 6 not yet delivered
  std::deque<Event> telephonyEvents_;         // delivered before further script lines
  std::deque<std::optional<std::string>> lines_;
  std::optional<Delivery> delivery_;
  int lineNumber_ = 0;
  int badLines_ = 0;
  bool inputEnded_ = false;
  bool sleeping_ = false;
  bool draining_ = false;  // input ended; waiting for the global queue to catch up
  bool pumping_ = false;
  std::shared_ptr<bool> finished_ = std::make_shared<bool>(false);  // set on the main queue
};

}  // namespace springboard
