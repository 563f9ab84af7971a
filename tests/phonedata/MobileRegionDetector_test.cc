#include "statics/MobileRegionDetector.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "phonedata/test_database.h"
#include "support/temp_root.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDataDir = "/var/mobile/hushgate";

// A database whose version names it and whose one block 1380013 has that
// version as its region code, so a lookup tells which file was loaded.
std::string database(const std::string& version) {
  return phonedata_testing::asString(
      phonedata_testing::makeDatabase(version, {{1380013, "北京|北京|100000|" + version, CMCC}}));
}

TEST(MobileRegionDetector, FileDiscovery) {
  struct File {
    std::string name;  // under the data directory
    std::string version;
  };
  struct Case {
    const char* name;
    std::vector<File> files;
    std::string expectedVersion;  // "" when no database is expected
  };
  const Case cases[] = {
      {"one database", {{"phone-1707.dat", "1707"}}, "1707"},
      {"nothing between prefix and suffix", {{"phone-.dat", "0001"}}, "0001"},
      {"only in a subdirectory", {{"old/phone-1707.dat", "1707"}}, ""},
      {"wrong suffix",
       {{"phone-1707.dat.bak", "1"}, {"phone-1707.txt", "2"}, {"phone-1707", "3"}},
       ""},
      {"wrong prefix",
       {{"xphone-1707.dat", "1"},
        {"Phone-1707.dat", "2"},
        {"phone1707.dat", "3"},
        {"phone.dat", "4"}},
       ""},
      {"others beside it",
       {{"hushgate-pref.json", "1"}, {"phone-1707.dat.bak", "2"}, {"phone-2024.dat", "2024"}},
       "2024"},
      {"empty directory", {}, ""},
  };
  for (const Case& c : cases) {
    testing_support::TempDeviceRoot root;
    fs::create_directories(root.at(kDataDir));
    for (const File& file : c.files) {
      root.write(std::string(kDataDir) + "/" + file.name, database(file.version));
    }
    const MobileRegionDetector detector(root.at(kDataDir));
    EXPECT_EQ(detector.phonedata() != nullptr, !c.expectedVersion.empty()) << c.name;
    EXPECT_EQ(detector.dbVersion(), c.expectedVersion) << c.name;
    EXPECT_EQ(detector.detectRegionCode("13800138000"), c.expectedVersion) << c.name;
  }
}

TEST(MobileRegionDetector, NoDirectoryNoDatabase) {
  testing_support::TempDeviceRoot root;
  const MobileRegionDetector detector(root.at(kDataDir));
  EXPECT_EQ(detector.phonedata(), nullptr);
  EXPECT_EQ(detector.dbVersion(), "");
  EXPECT_EQ(detector.detectRegionCode("13800138000"), "");
}

TEST(MobileRegionDetector, FirstMatchInListingOrderIsLoaded) {
  testing_support::TempDeviceRoot root;
  for (const char* version : {"1111", "2222", "3333", "4444"}) {
    root.write(std::string(kDataDir) + "/phone-" + version + ".dat", database(version));
  }
  std::string firstListed;
  for (const fs::directory_entry& entry : fs::directory_iterator(root.at(kDataDir))) {
    firstListed = entry.path().filename().string().substr(6, 4);
    break;
  }
  const MobileRegionDetector detector(root.at(kDataDir));
  EXPECT_EQ(detector.dbVersion(), firstListed);
  EXPECT_EQ(detector.detectRegionCode("13800138000"), firstListed);
}

TEST(MobileRegionDetector, EntriesThatAreNotFilesAreSkipped) {
  testing_support::TempDeviceRoot root;
  fs::create_directories(root.at(kDataDir) + "/phone-dir.dat");
  fs::create_symlink(root.at("/nowhere"), root.at(kDataDir) + "/phone-dangling.dat");
  root.write(std::string(kDataDir) + "/phone-1707.dat", database("1707"));
  const MobileRegionDetector detector(root.at(kDataDir));
  EXPECT_EQ(detector.dbVersion(), "1707");
}

TEST(MobileRegionDetector, UnreadableDatabaseMissesEverything) {
  testing_support::TempDeviceRoot root;
  root.write(std::string(kDataDir) + "/phone-1707.dat", "17");  // shorter than the header
  const MobileRegionDetector detector(root.at(kDataDir));
  ASSERT_NE(detector.phonedata(), nullptr);
  EXPECT_EQ(detector.dbVersion(), "");
  EXPECT_EQ(detector.detectRegionCode("13800138000"), "");
}

TEST(MobileRegionDetector, DetectRegionCode) {
  testing_support::TempDeviceRoot root;
  root.write(std::string(kDataDir) + "/phone-1707.dat", database("1707"));
  const MobileRegionDetector detector(root.at(kDataDir));
  struct Case {
    std::string number;
    std::string regionCode;
  };
  const Case cases[] = {
      {"13800138000", "1707"}, {"1380013", "1707"},    {"13900138000", ""},
      {"138001380001", ""},    {"+8613800138000", ""}, {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(detector.detectRegionCode(c.number), c.regionCode) << c.number;
}

// The only test of this program that makes the process-wide instance.
TEST(MobileRegionDetector, SharedInstanceIsMadeOnceFromTheDeviceRoot) {
  testing_support::TempDeviceRoot root;
  root.write(std::string(kDataDir) + "/phone-1707.dat", database("1707"));

  std::vector<const MobileRegionDetector*> seen(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &MobileRegionDetector::sharedInstance(); });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::set(seen.begin(), seen.end()).size(), 1u);

  // Later changes on disk are not noticed by this process.
  fs::remove(root.at(kDataDir) + "/phone-1707.dat");
  MobileRegionDetector& detector = MobileRegionDetector::sharedInstance();
  EXPECT_EQ(&detector, seen[0]);
  EXPECT_EQ(detector.dbVersion(), "1707");
  EXPECT_EQ(detector.detectRegionCode("13800138000"), "1707");
}

}  // namespace
