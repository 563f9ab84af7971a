#include "hushgate/screening/rules_reloader.h"

#include <utility>

RulesReloader::RulesReloader(platform::DispatchQueue& mainQueue, platform::DispatchQueue& workQueue,
                             Load load, Install install)
    : state_(std::make_shared<State>(
          State{mainQueue, workQueue, std::move(load), std::move(install)})) {}

void RulesReloader::reload() {
  const uint64_t request = ++state_->requested;
  state_->workQueue.async([state = state_, request] {
    std::shared_ptr<const ScreeningRules> rules =
        std::make_shared<const ScreeningRules>(state->load());
    state->mainQueue.async([state, request, rules = std::move(rules)]() mutable {
      std::shared_ptr<const ScreeningRules> retired =
          request == state->requested ? state->install(std::move(rules)) : std::move(rules);
      if (retired) state->workQueue.async([retired = std::move(retired)] {});
    });
  });
}
