// Preference reloads without stopping call events: the document is read and
// its rules compiled on a work queue, then handed to the main queue, where
// they replace the rules in force. Events handled meanwhile are judged by the
// rules in force when they arrived. Of reloads that overlap, the one asked
// for last decides: rules made for an earlier request that come back later
// are dropped. Rules that leave service (replaced or dropped) are released on
// the work queue, so that freeing a large document does not hold up the main
// queue either.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "statics/screening/screening.h"
#include "platform/dispatch.h"

class RulesReloader {
 public:
  // Reads the current document; runs on the work queue.
  using Load = std::function<Json()>;
  // Puts new rules in force and gives back the ones they replace; runs on the
  // main queue.
  using Install =
      std::function<std::shared_ptr<const ScreeningRules>(std::shared_ptr<const ScreeningRules>)>;

  // Both queues must outlive every reload still under way.
  RulesReloader(platform::DispatchQueue& mainQueue, platform::DispatchQueue& workQueue, Load load,
                Install install);

  // Starts a reload. Call on the main queue.
  void reload();

 private:
  struct State {
    platform::DispatchQueue& mainQueue;
    platform::DispatchQueue& workQueue;
    Load load;
    Install install;
    uint64_t requested = 0;  // main queue only
  };

  std::shared_ptr<State> state_;
};
