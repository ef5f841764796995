#include "platform/linux/host/signal_watcher.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace corvane::host {

HostResult<std::unique_ptr<SignalWatcher>> SignalWatcher::Start(std::initializer_list<int> signals,
                                                                Handler handler) {
  HostResult<std::unique_ptr<SignalWatcher>> result;
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : signals) sigaddset(&set, signal);

  sigset_t old_mask;
  if (const int error = pthread_sigmask(SIG_BLOCK, &set, &old_mask); error != 0) {
    result.status = HostStatus::Error(error, "block signals");
    return result;
  }
  const int signal_fd = signalfd(-1, &set, SFD_CLOEXEC);
  if (signal_fd < 0) {
    result.status = HostStatus::Error(errno, "signalfd");
    pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
    return result;
  }
  const int wake_fd = eventfd(0, EFD_CLOEXEC);
  if (wake_fd < 0) {
    result.status = HostStatus::Error(errno, "eventfd");
    close(signal_fd);
    pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
    return result;
  }
  result.value.reset(new SignalWatcher(signal_fd, wake_fd, old_mask, std::move(handler)));
  return result;
}

SignalWatcher::SignalWatcher(int signal_fd, int wake_fd, sigset_t old_mask, Handler handler)
    : signal_fd_(signal_fd), wake_fd_(wake_fd), old_mask_(old_mask), handler_(std::move(handler)) {
  thread_ = std::thread([this] { Loop(); });
}

SignalWatcher::~SignalWatcher() {
  const std::uint64_t one = 1;
  while (write(wake_fd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
  thread_.join();
  close(signal_fd_);
  close(wake_fd_);
  pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

void SignalWatcher::Loop() {
  pollfd fds[2] = {{signal_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      // EINTR, or ENOMEM while the kernel is short of memory: both pass, so wait again
      // rather than leave the signals blocked with no one to read them.
      if (errno != EINTR) usleep(10000);
      continue;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    signalfd_siginfo info{};
    const ssize_t got = read(signal_fd_, &info, sizeof info);
    if (got == static_cast<ssize_t>(sizeof info)) handler_(static_cast<int>(info.ssi_signo));
  }
}

}  // namespace corvane::host
