#include "hushgate-gui/core/models/donation.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <utility>

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/http_get.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/ui.h"
#include "platform/dispatch.h"
#include "statics/Log.h"
#include "statics/format.h"
#include "statics/json_document.h"

namespace gui {

namespace {

constexpr char kLineFormat[] = "%@（%@）￥%.2f\n";
constexpr char kReadingPattern[] = "yyyy-MM-dd'T'HH:mm:ss.SSS'Z'";
constexpr char kShowingPattern[] = "yyyy-MM-dd";
constexpr double kListFontSize = 14;

struct Settings {
  std::mutex mutex;
  std::string server;                    // empty: kDonationServer
  std::chrono::milliseconds timeout{0};  // zero: kDonationTimeout
};

Settings& settings() {
  static Settings* const state = new Settings();  // never destroyed
  return *state;
}

// What the fetch brought back: nothing (a failure), or the parsed body (null
// for an empty body).
using FetchResult = std::optional<nlohmann::json>;

bool isAcceptedMediaType(const std::string& type) {
  return type == "application/json" || type == "text/json" || type == "text/javascript";
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The GET and its checks; runs on the global queue.
FetchResult fetchDonations(const std::string& url, std::chrono::milliseconds timeout) {
  const Result<HttpResponse> response = httpGet(url, timeout);
  if (!response) {
    Log("== donation list request failed: %@", response.error());
    return std::nullopt;
  }
  if (response->status < 200 || response->status > 299) {
    Log("== donation list request failed: status %ld", response->status);
    return std::nullopt;
  }
  const std::string type = mediaType(response->contentType);
  // A body that is empty needs no type; any other must say it is JSON.
  if (isBlank(response->body) && (type.empty() || isAcceptedMediaType(type))) {
    return nlohmann::json();
  }
  if (!isAcceptedMediaType(type)) {
    Log("== donation list request failed: content type %@", response->contentType);
    return std::nullopt;
  }
  std::optional<nlohmann::json> parsed = parseJsonDocument(response->body);
  if (!parsed) {
    Log("== donation list request failed: body is not JSON");
    return std::nullopt;
  }
  return parsed;
}

std::unique_ptr<icu::SimpleDateFormat> makeFormatter(const char* pattern, const char* locale) {
  UErrorCode status = U_ZERO_ERROR;
  auto formatter = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString::fromUTF8(pattern),
                                                           icu::Locale(locale), status);
  if (U_FAILURE(status)) return nullptr;
  formatter->setLenient(false);
  return formatter;
}

std::string textOf(const nlohmann::json& record, const char* key) {
  const auto it = record.find(key);
  if (it == record.end()) return {};
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number()) return it->dump();
  return {};
}

// "amount" read as floatValue: a number, or the number a text begins with.
std::optional<float> amountOf(const nlohmann::json& record) {
  const auto it = record.find("amount");
  if (it == record.end()) return std::nullopt;
  double value = 0;
  if (it->is_number()) {
    value = it->get<double>();
  } else if (it->is_string()) {
    std::string_view text = it->get_ref<const std::string&>();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) {
      text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
  } else {
    return std::nullopt;
  }
  const auto amount = static_cast<float>(value);
  if (!std::isfinite(amount)) return std::nullopt;
  return amount;
}

void showList(const FetchResult& result) {
  AlertUtil::hideHud();
  if (!result || !(result->is_array() || result->is_null())) {
    AlertUtil::showInfo(localizedString("error-title"), localizedString("error-content"));
    return;
  }
  const std::optional<std::string> lines =
      result->is_array() ? donationListMessage(*result) : std::nullopt;
  auto alert = std::make_shared<Alert>();
  alert->style = AlertStyle::Alert;
  alert->title = localizedString("donation-list");
  alert->message = lines ? *lines : localizedString("no-donation");
  if (lines) alert->attributedMessage = AttributedMessage{*lines, true, kListFontSize};
  auto donateAction = std::make_shared<AlertAction>();
  donateAction->title = localizedString("donate-alipay");
  donateAction->style = AlertActionStyle::Cancel;
  donateAction->handler = [] { donate(); };
  auto okAction = std::make_shared<AlertAction>();
  okAction->title = localizedString("ok");
  okAction->style = AlertActionStyle::Default;
  alert->actions = {donateAction, okAction};
  presenter().presentAlert(std::move(alert));
}

}  // namespace

std::string donationDate(const std::string& createdAt) {
  // Read and written in one zone, so the date shown is the one written. UTC
  // has no daylight-saving gap, in which a strict reading would fail.
  const std::unique_ptr<icu::SimpleDateFormat> reading =
      makeFormatter(kReadingPattern, "en_US_POSIX");
  const std::unique_ptr<icu::SimpleDateFormat> showing =
      makeFormatter(kShowingPattern, "en_US_POSIX");
  if (!reading || !showing) return {};
  reading->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  showing->adoptTimeZone(icu::TimeZone::getGMT()->clone());
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(createdAt);
  icu::ParsePosition position(0);
  const UDate date = reading->parse(text, position);
  if (position.getErrorIndex() >= 0 || position.getIndex() != text.length()) return {};
  icu::UnicodeString shown;
  showing->format(date, shown);
  std::string utf8;
  shown.toUTF8String(utf8);
  return utf8;
}

std::optional<std::string> donationListMessage(const nlohmann::json& records) {
  if (!records.is_array()) return std::nullopt;
  std::string message;
  bool any = false;
  for (const nlohmann::json& record : records) {
    if (!record.is_object()) continue;
    const std::optional<float> amount = amountOf(record);
    if (!amount) continue;
    message +=
        stringWithFormat(kLineFormat, textOf(record, "name"),
                         donationDate(textOf(record, "created_at")), static_cast<double>(*amount));
    any = true;
  }
  if (!any) return std::nullopt;
  return message;
}

std::string donationListURL() {
  Settings& s = settings();
  std::lock_guard lock(s.mutex);
  return (s.server.empty() ? std::string(kDonationServer) : s.server) + "/?app=hushgate";
}

std::chrono::milliseconds donationTimeout() {
  Settings& s = settings();
  std::lock_guard lock(s.mutex);
  return s.timeout.count() > 0 ? s.timeout : kDonationTimeout;
}

void setDonationServerForTesting(const std::string& server) {
  Settings& s = settings();
  std::lock_guard lock(s.mutex);
  s.server = server;
}

void setDonationTimeoutForTesting(std::chrono::milliseconds timeout) {
  Settings& s = settings();
  std::lock_guard lock(s.mutex);
  s.timeout = timeout;
}

void showDonationList() {
  AlertUtil::showWaitingHud(std::string(kDonationLoadingText));
  initHttpClient();
  const std::string url = donationListURL();
  const std::chrono::milliseconds timeout = donationTimeout();
  platform::globalQueue().async([url, timeout] {
    FetchResult result = fetchDonations(url, timeout);
    platform::mainQueue().async([result = std::move(result)] { showList(result); });
  });
}

void donate() {
  presenter().setPasteboardString(kDonationAccount);
  const bool canOpen = presenter().canOpenURL(kPaymentURL);
  const std::string message =
      stringWithFormat(localizedString("donate-alert-title-1"),
                       canOpen ? localizedString("donate-alert-title-2") : std::string());
  AlertUtil::showInfo(localizedString("donate-alipay-copied"), message,
                      [] { presenter().openURL(kPaymentURL); });
}

}  // namespace gui
