#include "service/notice_channel.h"

namespace corvane::service {

void NoticeChannel::Tell(host::EventLog::Severity severity, const std::string& text) const {
  if (console_) {
    std::fprintf(err_, "%s\n", text.c_str());
    std::fflush(err_);
  } else if (events_ != nullptr) {
    events_->Note(severity, text);
  }
}

}  // namespace corvane::service
