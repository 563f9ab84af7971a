// The desktop's notification service as the settings application speaks to
// it on the session bus: the service, its object and interface, the members
// used, what the application calls itself, and the keys of the actions it
// offers (sent with each notification and handed back when one is chosen).
//
//   GetCapabilities() -> as               "body-markup": the body is markup
//   Notify(app_name s, replaces_id u, app_icon s, summary s, body s,
//          actions as [key, label, ...], hints a{sv}, expire_timeout i) -> id u
//   ActionInvoked(id u, action_key s)      signal
//   NotificationClosed(id u, reason u)     signal
#pragma once

inline constexpr char kNotificationService[] = "org.freedesktop.Notifications";
inline constexpr char kNotificationObjectPath[] = "/org/freedesktop/Notifications";
inline constexpr char kNotificationInterface[] = "org.freedesktop.Notifications";
inline constexpr char kNotificationCapabilitiesMethod[] = "GetCapabilities";
inline constexpr char kNotificationBodyMarkupCapability[] = "body-markup";
inline constexpr char kNotificationNotifyMethod[] = "Notify";
inline constexpr char kNotificationActionSignal[] = "ActionInvoked";
inline constexpr char kNotificationClosedSignal[] = "NotificationClosed";

// app_name and app_icon (the icon by its theme name).
inline constexpr char kNotificationApplicationName[] = "hushgate-gui";
inline constexpr char kNotificationIconName[] = "hushgate-gui";
// expire_timeout: as the service decides.
inline constexpr int kNotificationDefaultTimeout = -1;

// The actions of a blocked-call notification.
inline constexpr char kAllowNumberActionKey[] = "allow";
inline constexpr char kOpenHistoryActionKey[] = "open-history";
