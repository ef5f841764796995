#include "platform/linux/host/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>

namespace corvane::host {
namespace {

TEST(RunProgram, ReportsTheExitStatusAndTheOutput) {
  std::string output;
  HostResult<int> status = RunProgram({"printf", "%s|%s", "a b", "$HOME;"}, &output);
  ASSERT_TRUE(status.ok()) << status.status.Message();
  EXPECT_EQ(status.value, 0);
  EXPECT_EQ(output, "a b|$HOME;") << "arguments reach the program as they are, unexpanded";

  status = RunProgram({"false"});
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(status.value, 1);
}

TEST(RunProgram, AMissingProgramIsAnErrorWithItsName) {
  const HostResult<int> status = RunProgram({"/nonexistent/corvane-no-such-program"});
  EXPECT_EQ(status.status.code(), ENOENT);
  EXPECT_NE(status.status.Message().find("corvane-no-such-program"), std::string::npos);
  EXPECT_EQ(RunProgram({}).status.code(), EINVAL);
}

// The parent blocks the signals it watches; a child must not inherit that block.
TEST(RunProgram, TheChildStartsWithSignalsUnblocked) {
  sigset_t block;
  sigemptyset(&block);
  sigaddset(&block, SIGTERM);
  sigset_t old;
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &block, &old), 0);
  const HostResult<int> status = RunProgram({"sh", "-c", "kill -TERM $$; sleep 5"});
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(status.value, 128 + SIGTERM);
}

TEST(ChildProcess, RunningTurnsFalseWhenTheChildEnds) {
  HostResult<ChildProcess> child = ChildProcess::Start({"sleep", "0.2"}, false);
  ASSERT_TRUE(child.ok());
  EXPECT_TRUE(child.value.Running());
  const HostResult<int> status = child.value.Wait();
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(status.value, 0);
  EXPECT_FALSE(child.value.Running());
}

}  // namespace
}  // namespace corvane::host
