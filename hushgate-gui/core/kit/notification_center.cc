#include "hushgate-gui/core/kit/notification_center.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace gui {

namespace {

struct Observer {
  std::string name;
  // Shared so that a post can keep the block alive while it runs, even when
  // the block removes its own observer.
  std::shared_ptr<const std::function<void(const UserInfo&)>> block;
};

struct Registry {
  std::mutex mutex;
  ObserverToken nextToken = 1;
  std::map<ObserverToken, Observer> observers;  // by token: registration order
};

Registry& registry() {
  static Registry* const state = new Registry();  // never destroyed
  return *state;
}

}  // namespace

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* const center = new NotificationCenter();  // never destroyed
  return *center;
}

ObserverToken NotificationCenter::addObserverForName(
    const std::string& name, std::function<void(const UserInfo& userInfo)> block) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const ObserverToken token = r.nextToken++;
  r.observers.emplace(token,
                      Observer{name, std::make_shared<const std::function<void(const UserInfo&)>>(
                                         std::move(block))});
  return token;
}

void NotificationCenter::removeObserver(ObserverToken token) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.observers.erase(token);
}

void NotificationCenter::postNotificationName(const std::string& name, const UserInfo& userInfo) {
  Registry& r = registry();
  std::vector<ObserverToken> tokens;
  {
    std::lock_guard lock(r.mutex);
    for (const auto& [token, observer] : r.observers) {
      if (observer.name == name) tokens.push_back(token);
    }
  }
  for (const ObserverToken token : tokens) {
    std::shared_ptr<const std::function<void(const UserInfo&)>> block;
    {
      // An observer removed by an earlier block of this post is skipped.
      std::lock_guard lock(r.mutex);
      const auto it = r.observers.find(token);
      if (it == r.observers.end()) continue;
      block = it->second.block;
    }
    if (block && *block) (*block)(userInfo);
  }
}

size_t NotificationCenter::observerCount(const std::string& name) const {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  size_t count = 0;
  for (const auto& entry : r.observers) count += entry.second.name == name ? 1 : 0;
  return count;
}

}  // namespace gui
