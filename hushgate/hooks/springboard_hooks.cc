#include "hushgate/hooks/springboard_hooks.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "hushgate/history/block_history.h"
#include "hushgate/history/block_history_writer.h"
#include "hushgate/history/recent_blocks.h"
#include "hushgate/screening/call_event_handler.h"
#include "hushgate/screening/caller_label_db.h"
#include "hushgate/screening/rules_reloader.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "platform/runtime.h"
#include "platform/springboard.h"
#include "platform/ui_application.h"
#include "statics/Log.h"
#include "statics/MobileRegionDetector.h"
#include "statics/Preference.h"
#include "statics/history_file.h"

using platform::id;
using platform::SEL;

namespace {

// State of the home-screen process. Made when the hooks are installed and
// kept for the life of the process (never destroyed, so that work still
// queued at exit never meets a destroyed object).
CallEventHandler* screening;  // holds "pref" and the pending call
CallerLabelDatabase* db;
BlockHistoryWriter* history;  // made at launch
RecentBlocks* recentBlocks;   // for the repeated-call allowance
RulesReloader* reloader;

platform::CallEventHandlerIMP orig_callEventHandler;
platform::ApplicationDidFinishLaunchingIMP orig_applicationDidFinishLaunching;

// At launch, before any call: the rules are in force when the launch ends.
void loadPreferences() {
  screening->setRules(std::make_shared<const ScreeningRules>(Preference::load()));
}

// Registers handler for name on the main queue. When that fails (no
// notification folder, the system's limit of watches reached), it is logged
// and tried again later, ever less often; once it succeeds handler runs
// once, for what was posted meanwhile.
void registerRetrying(const char* name, void (*handler)(), int delaySeconds = 0) {
  int token = 0;
  if (platform::notify_register_dispatch(name, &token, platform::mainQueue(), [handler](int) {
        handler();
      }) == platform::NOTIFY_STATUS_OK) {
    if (delaySeconds > 0) {
      Log("== registered for %@ at last", name);
      handler();
    }
    return;
  }
  constexpr int kFirstRetrySeconds = 1;
  constexpr int kLongestRetrySeconds = 60;
  const int next =
      delaySeconds == 0 ? kFirstRetrySeconds : std::min(delaySeconds * 2, kLongestRetrySeconds);
  Log("== cannot register for %@, trying again in %d s", name, next);
  platform::afterOnMainQueue(next,
                             [name, handler, next] { registerRetrying(name, handler, next); });
}

// After a change: the new rules are read and compiled off the main queue
// and put in force on it.
void reloadPreferences() {
  reloader->reload();
}

// The blocks of the last hour, read off the main queue.
void loadRecentBlocks() {
  platform::globalQueue().async([path = history->mpHistoryFilePath()] {
    recentBlocks->loadFromHistory(path, blockRecordDate(std::chrono::system_clock::now()));
  });
}

// The settings application replaced the file (it may have removed records).
void reopenHistoryHandle() {
  history->openMPHistoryFileWriteHandle();
  loadRecentBlocks();
}

void callEventHandler(id self, SEL cmd, platform::NSNotification* notification) {
  if (notification == nullptr) {
    orig_callEventHandler(self, cmd, notification);
    return;
  }
  screening->handleCallEvent(*notification,
                             [&] { orig_callEventHandler(self, cmd, notification); });
}

void applicationDidFinishLaunching(id self, SEL cmd, id application) {
  orig_applicationDidFinishLaunching(self, cmd, application);

  // The history file is made directly, without a shell, and then opened.
  history = new BlockHistoryWriter(mpHistoryFilePathFromOutside());
  history->prepareMPHistoryFile();

  loadRecentBlocks();
  db->open();  // does nothing while there is no database file

  registerRetrying(kPreferenceUpdatedNotification, &reloadPreferences);
  registerRetrying(kMPHistoryFileChangedNotification, &reopenHistoryHandle);

  loadPreferences();

  // The number-location database is read once per process: now, off the main
  // queue, rather than while the first mobile caller rings.
  platform::globalQueue().async([] { MobileRegionDetector::sharedInstance(); });
}

}  // namespace

void installSpringboardHooks() {
  db = new CallerLabelDatabase(CallerLabelDatabase::defaultPath());
  recentBlocks = new RecentBlocks();
  CallEventServices services;
  services.regionLookup = [](const std::string& number) {
    return MobileRegionDetector::sharedInstance().detectRegionCode(number);
  };
  services.placeLookup = [](const std::string& code) {
    return MobileRegionDetector::sharedInstance().placeOfRegionCode(code);
  };
  services.labelLookup = [](const std::string& number) { return db->lookupCallerLabel(number); };
  services.lastBlockLookup = [](const std::string& number) {
    return recentBlocks->lastBlock(number);
  };
  services.noteBlock = [](const std::string& number, int64_t date) {
    recentBlocks->note(number, date);
  };
  services.appendBlockRecord = [](const platform::TUCall& call, const ScreeningResult& result) {
    // Calls are screened only after the launch sequence made the writer.
    if (history == nullptr) return;
    const bool passed = result.overruledReason != BlockReasonNone;
    history->appendBlockRecord(call, passed ? result.overruledReason : result.reason, result.detail,
                               passed ? result.overruledRule : result.rule, passed);
  };
  screening = new CallEventHandler(std::move(services));
  // A changed document is read and compiled on the global queue; calls go on
  // meanwhile under the rules in force.
  reloader = new RulesReloader(
      platform::mainQueue(), platform::globalQueue(), [] { return Preference::load(); },
      [](std::shared_ptr<const ScreeningRules> rules) {
        std::shared_ptr<const ScreeningRules> replaced = screening->rules();
        screening->setRules(std::move(rules));
        return replaced;
      });

  platform::MSHookMessageEx(platform::objc_getClass(platform::kTelephonyManagerClassName),
                            platform::sel_registerName(platform::kCallEventHandlerSelector),
                            &callEventHandler, &orig_callEventHandler);
  platform::MSHookMessageEx(
      platform::objc_getClass(platform::kSpringBoardClassName),
      platform::sel_registerName(platform::kApplicationDidFinishLaunchingSelector),
      &applicationDidFinishLaunching, &orig_applicationDidFinishLaunching);
}
