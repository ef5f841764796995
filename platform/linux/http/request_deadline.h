// The deadline by which a connection must have sent its request line and headers, counted from
// the moment it was accepted (the server answers one request per connection). The
// library's own timeout counts only silence, so a client that sends one byte every few seconds
// would otherwise hold its slot for as long as it likes; 32 of them hold every slot.
//
// The table owns a watch thread. An overdue connection's socket is shut down there; the
// server's thread then reads its end and closes it the usual way, so the library alone closes
// descriptors. Watch, Answered and Forget run on the server's thread, Forget before
// the library closes the socket (its "connection closed" notice), which is what makes the
// watch thread's shutdown safe: a socket it shuts down is still this connection's.
//
// Threads: construction, Stop and destruction on the owner's thread, the rest on the server's.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <thread>

namespace corvane::http {

class RequestDeadline {
 public:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    int fd = -1;
    Clock::time_point due = Clock::time_point::max();  // max: none, its request is in
  };

  explicit RequestDeadline(std::chrono::milliseconds limit);
  ~RequestDeadline();  // Stop

  // Stops the watch thread and waits for it; nothing is shut down after. The server calls it
  // before it stops the library, which closes sockets whose entries may still be here. The
  // table itself stays usable. Owner's thread.
  void Stop();
  RequestDeadline(const RequestDeadline&) = delete;
  RequestDeadline& operator=(const RequestDeadline&) = delete;

  // A connection just accepted on socket `fd`: its request is due within the limit. The entry
  // lives until Forget.
  Entry* Watch(int fd);
  // Its request line and headers are all in: no deadline while it is answered.
  void Answered(Entry* entry);
  // The connection is closing; the entry goes.
  void Forget(Entry* entry);

  // How many connections the watch thread has shut down (for tests and diagnostics).
  std::size_t expired() const;

 private:
  void Run();

  const std::chrono::milliseconds limit_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::list<Entry> entries_;  // a list: entries stay where they are while others come and go
  std::size_t expired_ = 0;
  bool stopping_ = false;
  std::thread watcher_;  // last: starts once everything it reads is made
};

}  // namespace corvane::http
