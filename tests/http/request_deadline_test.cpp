// The request deadline on real sockets (socket pairs): what it shuts down and what it leaves.
#include "platform/linux/http/request_deadline.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace corvane::http {
namespace {

// A connected pair: `server` is watched, `client` sees what the watch does to it.
struct SocketPair {
  SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0); }
  ~SocketPair() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  int server() const { return fds[0]; }
  // Whether the client end has seen the other end shut within `limit`.
  bool ClientSeesEndWithin(std::chrono::milliseconds limit) const {
    pollfd poll_fd{fds[1], POLLIN, 0};
    if (::poll(&poll_fd, 1, static_cast<int>(limit.count())) <= 0) return false;
    char byte;
    return ::recv(fds[1], &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
  }
  int fds[2] = {-1, -1};
};

TEST(RequestDeadline, ShutsDownOnlyTheConnectionsWhoseRequestIsOverdue) {
  enum class Then { kNothing, kAnswered, kForgotten };
  struct Case {
    const char* what;
    Then then;
    bool shut;
  };
  const Case cases[] = {
      {"request never completes", Then::kNothing, true},
      {"request line and headers in", Then::kAnswered, false},
      {"closed by the server first", Then::kForgotten, false},
  };
  const auto limit = std::chrono::milliseconds(200);
  RequestDeadline deadline(limit);
  SocketPair pairs[std::size(cases)];
  RequestDeadline::Entry* entries[std::size(cases)];
  for (std::size_t i = 0; i < std::size(cases); ++i) entries[i] = deadline.Watch(pairs[i].server());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    if (cases[i].then == Then::kAnswered) deadline.Answered(entries[i]);
    if (cases[i].then == Then::kForgotten) deadline.Forget(entries[i]);
  }
  // Generous: a slow run only makes the shut connection's end come later.
  ASSERT_TRUE(pairs[0].ClientSeesEndWithin(std::chrono::seconds(30)));
  // The watch shuts everything overdue in one pass, so the others would be shut by now; a
  // further wait of several limits makes sure.
  std::this_thread::sleep_for(limit * 3);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(pairs[i].ClientSeesEndWithin(std::chrono::milliseconds(0)), cases[i].shut)
        << cases[i].what;
  }
  EXPECT_EQ(deadline.expired(), 1u);
  deadline.Forget(entries[0]);
  deadline.Forget(entries[1]);
}

TEST(RequestDeadline, ShutsNothingDownOnceStopped) {
  // The server stops the watch before the library closes its sockets: a descriptor number
  // closed there may be reused by anything, and must never be shut down after.
  const auto limit = std::chrono::milliseconds(100);
  RequestDeadline deadline(limit);
  SocketPair pair;
  RequestDeadline::Entry* entry = deadline.Watch(pair.server());
  deadline.Stop();
  EXPECT_FALSE(pair.ClientSeesEndWithin(limit * 5));
  EXPECT_EQ(deadline.expired(), 0u);
  deadline.Forget(entry);  // the table still works for the library's closing notices
}

}  // namespace
}  // namespace corvane::http
