// The home-screen host: its classes in the runtime ("SpringBoard",
// "SBTelephonyManager", and the telephony classes "TUCall" and
// "TUCallCenter"), and the delivery of a call script's events to
// callEventHandler: on the main queue, through the runtime, so that an
// injected hook sees each event first.
//
// Events are delivered one at a time, in script order; a call disconnected
// during a delivery has its status 6 event delivered next, before the rest of
// the script. Each delivered event is reported as one JSON line:
//   {"call": ID, "status": N, "outcome": "passed"|"swallowed"|"blocked",
//    "reason": CODE, "detail": TEXT}
// "passed": the host's own handler ran. "blocked": it did not, and the call
// was disconnected during the delivery; reason and detail then come from the
// call's record in the block history, waited for (up to kHistoryWait) through
// the notification kMPBlockHistoryAddedNotification; without a
// record: 0 and "no history record". "swallowed": neither.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
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
inline constexpr std::chrono::seconds kHistoryWait(3);

class SpringBoardHost {
 public:
  // Reports go to out. Make it on the main thread.
  explicit SpringBoardHost(std::FILE* out);
  ~SpringBoardHost();
  SpringBoardHost(const SpringBoardHost&) = delete;
  SpringBoardHost& operator=(const SpringBoardHost&) = delete;

  // Registers the classes, takes over TUCallCenter's disconnects and
  // registers for the history notification. Before injection.
  void registerClasses();
  // Sends applicationDidFinishLaunching: to the application object.
  void finishLaunching();

  // Script input, on the main queue: a line (nullopt: too long), then the end.
  void addLine(std::optional<std::string> line);
  void endOfInput();

  // The script has ended and all its work is done.
  bool finished() const { return finished_; }
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
  struct HistoryWait {
    Event event;
    std::string uniqueId;
    std::uintmax_t from = 0;
    unsigned generation = 0;
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
  void checkHistory(bool last);
  void report(const Event& event, const char* outcome, long long reason, const std::string& detail);

  std::FILE* out_;
  std::thread::id mainThread_;
  std::shared_ptr<platform::NSObject> application_;
  std::shared_ptr<platform::NSObject> telephonyManager_;
  std::string historyPath_;
  int historyToken_ = -1;

  std::map<std::string, Event> calls_;        // by call key; status unused
  std::set<const platform::TUCall*> ending_;  // disconnected, status 6 not yet delivered
  std::deque<Event> telephonyEvents_;         // delivered before further script lines
  std::deque<std::optional<std::string>> lines_;
  std::optional<Delivery> delivery_;
  std::optional<HistoryWait> historyWait_;
  unsigned waitGeneration_ = 0;
  int lineNumber_ = 0;
  int badLines_ = 0;
  bool inputEnded_ = false;
  bool sleeping_ = false;
  bool pumping_ = false;
  bool finished_ = false;
};

}  // namespace springboard
