// The donation list and the donation action of the main screen.
//
// showDonationList fetches the list of received donations from the donation
// server (GET <server>/?app=hushgate, 10 s time-out) on the global queue, then
// on the main queue shows it in an alert, one line per donation; any failure
// shows the "error-title" alert. donate copies the donation account to the
// pasteboard and offers to open the payment application.
#pragma once

#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace gui {

// The donation server (scheme and host, no trailing "/").
inline constexpr char kDonationServer[] = "https://donate.hushgate-app.org";
// The account at the payment service that donate copies.
inline constexpr char kDonationAccount[] = "donate@hushgate-app.org";
// The payment application's URL.
inline constexpr char kPaymentURL[] = "alipay://";
// The overlay text while the list is fetched.
inline constexpr char kDonationLoadingText[] = "Loading...";
inline constexpr std::chrono::milliseconds kDonationTimeout{10000};

// The action of the row "cell.donationlist".
void showDonationList();
// The action of the row "cell.donation" and of the list's "donate-alipay".
void donate();

// The message of the list alert for a parsed response: one line
// "%@（%@）￥%.2f\n" per donation (name, date of "created_at", amount), or
// nullopt when there is none to show. Records that are not objects, or whose
// "amount" is neither a number nor a text that begins with one, are left out;
// a missing "name" shows as empty text, a "created_at" that is not a time in
// the form "yyyy-MM-dd'T'HH:mm:ss.SSS'Z'" as an empty date.
[[nodiscard]] std::optional<std::string> donationListMessage(const nlohmann::json& records);

// The calendar date written in a "created_at" value ("2023-12-31T23:30:00.000Z"
// gives "2023-12-31"), whatever the device's time zone; "" when the value is
// not such a time.
std::string donationDate(const std::string& createdAt);

// The URL that showDonationList fetches.
std::string donationListURL();
// The time-out in force.
std::chrono::milliseconds donationTimeout();

// For tests only: another server (empty: the built-in one) and another
// time-out (zero: the built-in one).
void setDonationServerForTesting(const std::string& server);
void setDonationTimeoutForTesting(std::chrono::milliseconds timeout);

}  // namespace gui
