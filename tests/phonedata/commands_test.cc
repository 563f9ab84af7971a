#include "tools/phonedata/commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "phonedata/test_database.h"
#include "statics/phonedata.h"
#include "support/temp_root.h"

namespace phonedata {
namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result run(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runCommand(args, out, err);
  return Result{status, out.str(), err.str()};
}

class CommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    root_.write("/phone-1707.dat", phonedata_testing::asString(phonedata_testing::makeDatabase(
                                       "1707", {{1300000, "江苏|常州|000000|0519", CUCC},
                                                {1380013, "北京|北京|000000|010", CMCC},
                                                {1700000, "北京|北京|000000|010", CTCC_V}})));
    root_.write("/broken.dat", "1707\xff\xff\xff\xff");
    root_.write("/huge.dat", "");
    ASSERT_EQ(::truncate(path("/huge.dat").c_str(), 40LL << 30), 0);
  }

  std::string path(const char* name) const { return root_.at(name); }

  testing_support::TempDeviceRoot root_;
};

TEST_F(CommandsTest, Info) {
  const Result result = run({"info", path("/phone-1707.dat")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "file: " + path("/phone-1707.dat") +
                            "\n"
                            "version: 1707\n"
                            "size: 111 bytes\n"
                            "entries: 3\n"
                            "records: 2\n"
                            "first prefix: 1300000\n"
                            "last prefix: 1700000\n");
}

TEST_F(CommandsTest, Lookup) {
  const Result result = run({"lookup", path("/phone-1707.dat"), "13800138000", "17000001234",
                             "13000000000", "13900000000", "abc", "1380\t013"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "13800138000\t1\t中国移动\t1380013\t北京\t北京\t000000\t010\n"
            "17000001234\t4\t电信虚拟运营商\t1700000\t北京\t北京\t000000\t010\n"
            "13000000000\t2\t中国联通\t1300000\t江苏\t常州\t000000\t0519\n"
            "13900000000\t0\t\t\t\t\t\t\n"
            "abc\t0\t\t\t\t\t\t\n"
            "1380?013\t0\t\t\t\t\t\t\n");
}

TEST_F(CommandsTest, FilesThatCannotBeUsed) {
  struct Case {
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {path("/missing.dat"), ": no such file"},
      {path("/"), ": not a regular file"},
      {path("/broken.dat"),
       " is not a valid number-location database: the index offset 4294967295 lies past the end "
       "of the file (8 bytes)"},
      {path("/huge.dat"), ": cannot be read, or larger than any valid database (128 MiB)"},
  };
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"info", c.file}, {"lookup", c.file, "13800138000"}}) {
      const Result result = run(args);
      EXPECT_EQ(result.status, 1) << args[0] << " " << c.file;
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(result.err, "hushgate-phonedata: " + c.file + c.message + "\n");
    }
  }
}

TEST_F(CommandsTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", path("/phone-1707.dat"), path("/phone-1707.dat")},
      {"lookup", path("/phone-1707.dat")},
      {"build", "--out-dir"},
      {"build", "--verbose"},
  };
  for (const std::vector<std::string>& args : cases) {
    const Result result = run(args);
    EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: hushgate-phonedata build"), std::string::npos);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(run({"--help"}).status, 0);
}

}  // namespace
}  // namespace phonedata
