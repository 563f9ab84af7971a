#include "support/notification_marker.h"

#include "platform/notify.h"

namespace testing_support {

namespace {

constexpr char kMarkerName[] = "hushgate-test.marker";

}  // namespace

NotificationMarker::NotificationMarker(platform::DispatchQueue& queue) {
  const auto delivered = [this](int) { seen_.store(true); };
  if (platform::notify_register_dispatch(kMarkerName, &token_, queue, delivered) !=
      platform::NOTIFY_STATUS_OK) {
    token_ = -1;
  }
}

NotificationMarker::~NotificationMarker() {
  if (token_ >= 0) platform::notify_cancel(token_);
}

bool NotificationMarker::post() {
  return token_ >= 0 && platform::notify_post(kMarkerName) == platform::NOTIFY_STATUS_OK;
}

PostCounter::PostCounter(const std::string& name) {
  const auto delivered = [this](int) {
    std::lock_guard lock(mutex_);
    ++posts_;
  };
  if (platform::notify_register_dispatch(name.c_str(), &token_, queue_, delivered) !=
      platform::NOTIFY_STATUS_OK) {
    token_ = -1;
    return;
  }
  // A post made before the registration may still be on its way to this
  // process's watcher, which then hands it to the new registration as well;
  // such posts are let through and not counted.
  if (!postsSoFar()) {
    platform::notify_cancel(token_);
    token_ = -1;
  }
  std::lock_guard lock(mutex_);
  posts_ = 0;
}

PostCounter::~PostCounter() {
  if (token_ >= 0) platform::notify_cancel(token_);
}

std::optional<int> PostCounter::postsSoFar(std::chrono::milliseconds patience) {
  if (token_ < 0) return std::nullopt;
  {
    std::lock_guard lock(mutex_);
    markerSeen_ = false;
  }
  int markerToken = -1;
  const auto delivered = [this](int) {
    std::lock_guard lock(mutex_);
    markerSeen_ = true;
    changed_.notify_all();
  };
  if (platform::notify_register_dispatch(kMarkerName, &markerToken, queue_, delivered) !=
      platform::NOTIFY_STATUS_OK) {
    return std::nullopt;
  }
  std::optional<int> posts;
  if (platform::notify_post(kMarkerName) == platform::NOTIFY_STATUS_OK) {
    std::unique_lock lock(mutex_);
    if (changed_.wait_for(lock, patience, [this] { return markerSeen_; })) posts = posts_;
  }
  platform::notify_cancel(markerToken);
  return posts;
}

}  // namespace testing_support
