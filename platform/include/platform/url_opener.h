// Opening URLs and applications: what the phone does when an application asks
// the system to open a URL, and the Launch Services call that brings an
// application forward by its bundle identifier.
//
// Handlers are programs, always started with an argument vector and never
// through a shell, detached from the caller (their own session, standard
// input and output on /dev/null). Nothing waits for them or looks at how
// they end.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The scheme of a URL, lower-cased: a letter followed by letters, digits,
// "+", "-" or ".", ended by ":". nullopt when the text has none.
[[nodiscard]] std::optional<std::string> urlScheme(std::string_view url);

// <device root>/Library/URLHandlers: a handler for scheme S is the executable
// file S in this folder (a device registers the settings application for
// the settings application's scheme there).
std::string urlHandlersDirectory();
// <device root>/Library/Launchers: the launcher of the application with
// bundle identifier B is the executable file B in this folder.
std::string launchersDirectory();

// Opens a URL: runs the device's handler for its scheme with the URL as its
// one argument; without one, when the desktop has a handler for the scheme
// (xdg-mime query default x-scheme-handler/SCHEME names one), runs
// "xdg-open URL". Otherwise nothing happens, as on a phone without the
// application. Returns whether a handler was started.
bool openURL(std::string_view url);

// Whether openURL would find a handler for the URL.
bool canOpenURL(std::string_view url);

// LSApplicationWorkspace openApplicationWithBundleID:: runs the launcher of
// that application (no arguments) when the device has one; otherwise nothing
// happens. Returns whether a launcher was started. A bundle identifier is
// letters, digits, ".", "-" and "_", and does not begin with ".".
bool openApplicationWithBundleID(std::string_view bundleIdentifier);

}  // namespace platform
