// The RunOnce commands against a store of the test's own: each run once, its value gone before it
// runs, in the order the values were stored.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "common/registry_paths.h"
#include "tests/rebootprompt/run_once_test_support.h"
#include "tests/support/store_values.h"
#include "tools/runonce/run_once.h"

namespace qvtouch::runonce {
namespace {

using rebootprompt::testing::RunOnceStoreTest;
using RunOnce = RunOnceStoreTest;

const std::vector<std::string> kNoFailures;

TEST_F(RunOnce, RunsEachCommandAfterDeletingItsValueInStoredOrderAndOnlyOnce) {
  SetRunOnceValue("zeta", "first");
  SetRunOnceValue("alpha", "second");
  SetRunOnceValue("mid", "third");
  std::vector<std::string> ran;
  const auto run = [&ran](const std::string& commandLine) {
    ran.push_back(commandLine);
    for (const char* name : {"zeta", "alpha", "mid"}) {
      if (RunOnceValue(name) == commandLine) ADD_FAILURE() << commandLine << " still stored";
    }
    return std::string();
  };
  EXPECT_EQ(RunOnceCommands(run), kNoFailures);
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(RunOnceCommands(run), kNoFailures);
  EXPECT_EQ(ran.size(), 3u) << "nothing runs a second time";
}

TEST_F(RunOnce, ACommandThatFailsIsGoneAndItsFailureIsReported) {
  SetRunOnceValue("broken", "no such program");
  SetRunOnceValue("fine", "program");
  std::vector<std::string> ran;
  const auto failures = RunOnceCommands([&ran](const std::string& commandLine) {
    ran.push_back(commandLine);
    return commandLine == "program" ? std::string() : "cannot start " + commandLine;
  });
  EXPECT_EQ(failures, std::vector<std::string>{"cannot start no such program"});
  EXPECT_EQ(ran, (std::vector<std::string>{"no such program", "program"}));
  EXPECT_EQ(RunOnceValue("broken"), std::nullopt);
}

TEST_F(RunOnce, ValuesThatAreNoTextAreLeftAloneAndAMissingKeyRunsNothing) {
  int runs = 0;
  const auto run = [&runs](const std::string&) {
    ++runs;
    return std::string();
  };
  EXPECT_EQ(RunOnceCommands(run), kNoFailures);
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, std::string(kRunOnceKey), "number", 1);
  EXPECT_EQ(RunOnceCommands(run), kNoFailures);
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(RunOnceValueCount(), 1u) << "the number stays";
}

// Two users logging on at once: whoever deletes a value runs its command, the other skips it.
TEST_F(RunOnce, TwoRunnersAtOnceRunEachCommandOnce) {
  constexpr int kCommands = 40;
  for (int i = 0; i < kCommands; ++i) SetRunOnceValue("v" + std::to_string(i), std::to_string(i));
  std::mutex mutex;
  std::vector<int> runs(kCommands);
  const auto run = [&](const std::string& commandLine) {
    const std::lock_guard lock(mutex);
    ++runs[std::stoi(commandLine)];
    return std::string();
  };
  std::vector<std::string> failures[2];
  std::thread other([&] { failures[1] = RunOnceCommands(run); });
  failures[0] = RunOnceCommands(run);
  other.join();
  EXPECT_EQ(failures[0], kNoFailures);
  EXPECT_EQ(failures[1], kNoFailures);
  EXPECT_EQ(runs, std::vector<int>(kCommands, 1));
}

}  // namespace
}  // namespace qvtouch::runonce
