// The process-wide entry point to the number-location database: finds the
// database file (kPhoneDataFilePrefix, any text, kPhoneDataFileSuffix) in the
// data directory once, keeps
// one PhoneData for the life of the process and answers region and version
// questions from any thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "statics/phonedata.h"

class MobileRegionDetector {
 public:
  // The instance of this process, made under a once-only guard on first use
  // for the data directory (kDataDirectoryPath) of the device root, and never
  // destroyed. Safe to call from any thread.
  static MobileRegionDetector& sharedInstance();

  // A detector for the database found in directory (see findDatabaseFile);
  // without one, every lookup misses.
  explicit MobileRegionDetector(const std::string& directory);

  MobileRegionDetector(const MobileRegionDetector&) = delete;
  MobileRegionDetector& operator=(const MobileRegionDetector&) = delete;

  // The loaded database's version text; empty when there is no database or
  // its file could not be read.
  std::string dbVersion() const;

  // The region code of the number's seven-digit block (numbers of 7 to 11
  // bytes, by their first seven digits); empty when the block is not found.
  std::string detectRegionCode(const std::string& number) const;

  // The name of the place of a region or area code ("0755" -> "深圳") as the
  // database's records give it; empty when unknown.
  std::string placeOfRegionCode(const std::string& regionCode) const;

  // The database, or nullptr when no file was found.
  const PhoneData* phonedata() const { return phonedata_.get(); }

 private:
  std::unique_ptr<const PhoneData> phonedata_;
};

// The path of the first regular file (symbolic links followed) in directory
// whose name begins with kPhoneDataFilePrefix and ends with kPhoneDataFileSuffix, in listing order,
// without descending into subdirectories. nullopt when there is none or the
// directory cannot be listed.
[[nodiscard]] std::optional<std::string> findDatabaseFile(const std::string& directory);
