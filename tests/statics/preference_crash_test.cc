// A writer killed at any moment of a save leaves a document that parses and
// is the state before or after the change it was making: a child process
// makes read-modify-write saves through Preference::update, one after
// another, and is killed with SIGKILL after a random delay, again and again.
//
// HUSHGATE_CRASH_KILLS sets the number of kills (50 by default; 1000 for the
// long run).
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

#include "statics/Preference.h"
#include "statics/json_document.h"
#include "support/temp_root.h"

namespace {

constexpr const char* kMainFile = "/var/mobile/hushgate/hushgate-pref.json";

int killCount() {
  const char* text = std::getenv("HUSHGATE_CRASH_KILLS");
  const int count = text != nullptr ? std::atoi(text) : 0;
  return count > 0 ? count : 50;
}

// The entries a document lists: 1, 2, ..., n in order, or -1 when it is not
// such a document.
long countedEntries(const Json& doc) {
  const Json& list = prefArray(doc, kBlacklistKey);
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] != Json::array({std::to_string(i + 1), "^" + std::to_string(i + 1) + "$", ""}))
      return -1;
  }
  return static_cast<long>(list.size());
}

// The child: one change after another, each adding the next entry to what
// is on disk; reports on fd "s N" before and "d N" after the save of entry N.
[[noreturn]] void saveForever(int fd) {
  auto preference = Preference::makeForTesting();
  for (;;) {
    long next = 0;
    const Result<Preference::Update> done = preference->update(
        [&next, fd](Json& pref) {
          next = countedEntries(pref) + 1;
          if (next <= 0) _exit(3);
          const std::string line = "s " + std::to_string(next) + "\n";
          if (write(fd, line.data(), line.size()) < 0) _exit(4);
          if (!pref[kBlacklistKey].is_array()) pref[kBlacklistKey] = Json::array();
          pref[kBlacklistKey].push_back(
              Json::array({std::to_string(next), "^" + std::to_string(next) + "$", ""}));
        },
        Preference::Announce::kQuiet);
    if (!done || !done->written) _exit(5);
    const std::string line = "d " + std::to_string(next) + "\n";
    if (write(fd, line.data(), line.size()) < 0) _exit(4);
  }
}

// Reads what the child reported; the last started and done entries.
void readReports(int fd, std::string& pending, long& started, long& done) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    pending.append(buffer, static_cast<size_t>(n));
  }
  for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
    const long value = std::atol(pending.c_str() + 2);
    (pending[0] == 's' ? started : done) = value;
  }
}

TEST(PreferenceCrashTest, AKilledSaveLeavesTheStateBeforeOrAfterIt) {
  testing_support::TempDeviceRoot root;
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delayMicroseconds(0, 3000);
  const int kills = killCount();
  long before = 0;  // entries on disk before this round
  int interruptedMidChange = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kills; ++round) {
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipeFds[0]);
      saveForever(pipeFds[1]);
    }
    close(pipeFds[1]);
    // Once the child has begun its first change, a random moment later.
    pollfd ready{pipeFds[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1) << "the child never started a change";
    usleep(static_cast<useconds_t>(delayMicroseconds(random)));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;

    std::string pending;
    long started = 0;
    long done = 0;
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    readReports(pipeFds[0], pending, started, done);
    close(pipeFds[0]);

    const std::optional<Json> doc = parseJsonDocument(root.read(kMainFile));
    if (before == 0 && started <= 1 && done == 0 && !root.exists(kMainFile)) continue;
    ASSERT_TRUE(doc) << "round " << round << ": the document does not parse";
    const long entries = countedEntries(*doc);
    ASSERT_GE(entries, 0) << "round " << round << ": " << doc->dump();
    // Every completed save is there; the interrupted one is all or nothing.
    EXPECT_GE(entries, std::max(done, before)) << "round " << round;
    EXPECT_LE(entries, std::max(started, before)) << "round " << round;
    if (started > done && entries == started - 1) ++interruptedMidChange;
    before = entries;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d kills in %.1f s: %ld saves kept, %d killed between read and rename\n", kills,
              seconds, before, interruptedMidChange);
}

}  // namespace
