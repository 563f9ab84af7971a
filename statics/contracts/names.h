// The names that the processes of the phone share: bundle identifiers,
// notification names, the files and folders of the device, and the time zone
// in which every date is shown. Each is spelled here and nowhere else; code
// and comments elsewhere use the constants.
//
// Device paths are written as on the phone ("/var/mobile/..."); the platform
// resolves them under the device root (platform::devicePath).
#pragma once

// ---- Bundle identifiers of the two host processes

inline constexpr char kSpringBoardBundleIdentifier[] = "com.apple.springboard";
inline constexpr char kMobilePhoneBundleIdentifier[] = "com.apple.mobilephone";

// ---- System-wide notifications (notify_post / notify_register_dispatch)

// The settings application saved the main preference document; the
// home-screen tweak reloads it.
inline constexpr char kPreferenceUpdatedNotification[] = "com.tevrin.hushgate.preference-updated";
// The home-screen tweak appended at least one record to the block history.
inline constexpr char kMPBlockHistoryAddedNotification[] =
    "com.tevrin.hushgate.mp-block-history-added";
// The settings application replaced the block history file; append handles
// must be reopened.
inline constexpr char kMPHistoryFileChangedNotification[] =
    "com.tevrin.hushgate.mp-history-file-changed";

// ---- In-process notifications of the settings application

// A region editor's group row changed blocking; the group's city rows follow.
inline constexpr char kGroupBlockingChangedNotification[] = "group-blocking-changed";
// Its user information: the group identifier and the new state (a boolean).
inline constexpr char kGroupBlockingGroupKey[] = "group";
inline constexpr char kGroupBlockingEnabledKey[] = "enabled";
// The main screen reloaded its history list.
inline constexpr char kMPHistoryAddedNotification[] = "mp-history-added";
// The history viewer rewrote the history file.
inline constexpr char kMPHistoryDeletedByUserNotification[] = "mp-history-deleted-by-user";

// The settings application read its preference documents again because
// another process changed them; open screens show the new state.
inline constexpr char kPreferenceReloadedNotification[] = "preference-reloaded";

// ---- Files and folders

// The data directory: the main preference document and the number-location
// database.
inline constexpr char kDataDirectoryPath[] = "/var/mobile/hushgate";
// The main preference document, and where releases before 1.3.0 kept it.
inline constexpr char kPrefFilePath[] = "/var/mobile/hushgate/hushgate-pref.json";
inline constexpr char kFormerPrefFilePath[] = "/var/mobile/hushgate-pref.json";
// The folder of an application's data container that holds its documents.
inline constexpr char kDocumentsFolderName[] = "Documents";
// In the Phone application's Documents folder: its preference document, the
// block history and its log.
inline constexpr char kMPPrefFileName[] = "hushgate-pref.json";
inline constexpr char kMPHistoryFileName[] = "hushgate-history.txt";
inline constexpr char kMPLogFileName[] = "hushgate-log.txt";
// The log of every other process; logging is on while the file exists.
inline constexpr char kLogFilePath[] = "/var/mobile/hushgate.log";
// The platform's caller-identification database.
inline constexpr char kCallDirectoryDatabasePath[] =
    "/var/mobile/Library/CallDirectory/CallDirectory.db";
// Number-location databases: kPhoneDataFilePrefix, any text, kPhoneDataFileSuffix.
inline constexpr char kPhoneDataFilePrefix[] = "phone-";
inline constexpr char kPhoneDataFileSuffix[] = ".dat";

// A file that is replaced whole (the preference documents, the block history)
// is locked through a sibling file of this suffix, which every writer opens
// and holds with flock(2) for the whole of its read-modify-write.
inline constexpr char kLockFileSuffix[] = ".lock";

// A preference document that cannot be read is moved aside before anything
// is written at its path: to the path followed by this suffix, formatted
// with strftime in UTC (".unreadable-20261208T153000Z"), and "-2", "-3", ...
// when that name is taken.
inline constexpr char kSetAsideSuffixFormat[] = ".unreadable-%Y%m%dT%H%M%SZ";

// ---- Time

// Log time stamps and the history viewer's dates are in this zone, whatever
// the zone of the device.
inline constexpr char kChinaTimeZone[] = "Asia/Shanghai";
