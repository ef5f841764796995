#include "platform/remote/server_request.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "files/owner_only.h"
#include "files/regular_file.h"
#include "platform/remote/credential_scope.h"
#include "platform/remote/curl_library.h"
#include "platform/remote/exporter_scrape.h"

namespace corvane::remote {
namespace {

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }
CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

std::string Trimmed(std::string text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && space(text[start])) ++start;
  return text.substr(start);
}

// The token in the file at `path`, which only its owner may read and which must be a regular
// file (a FIFO planted in its place would hold the request for ever).
bool ReadBearerToken(const std::string& path, std::string* token, std::string* error) {
  constexpr std::size_t kMaxTokenBytes = 64 * 1024;
  const int fd = files::OpenRegularFile(path, O_RDONLY, error);
  if (fd < 0) {
    *error = "the bearer token file " + path + " cannot be read: " + *error;
    return false;
  }
  struct stat status {};
  std::string text;
  bool read_whole = ::fstat(fd, &status) == 0;
  if (read_whole) {
    if (const std::string refusal = files::TooOpenForASecret(path, status.st_mode);
        !refusal.empty()) {
      ::close(fd);
      *error = refusal;
      return false;
    }
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0 || text.size() + static_cast<std::size_t>(got) > kMaxTokenBytes) {
        read_whole = false;
        break;
      }
      text.append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  *token = Trimmed(std::move(text));
  if (!read_whole || token->empty()) {
    *error = "the bearer token file " + path + (read_whole ? " is empty" : " cannot be read");
    return false;
  }
  return true;
}

}  // namespace

std::string ServerBase(std::string_view url) {
  while (!url.empty() && url.back() == '/') url.remove_suffix(1);
  return std::string(url);
}

std::string FormEscape(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3 / 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

ServerRequest::ServerRequest(const ServerOptions& options)
    : options_(options),
      base_(ServerBase(options.url)),
      curl_error_(std::make_unique<char[]>(CURL_ERROR_SIZE)),
      parser_(options.max_answer_bytes) {
  curl_error_[0] = '\0';
  if (!base_.starts_with("http://") && !base_.starts_with("https://")) {
    setup_error_ = "not an http:// or https:// address";
    return;
  }
  const CredentialUse use =
      CredentialUseFor(base_, options_.credentials_server,
                       !options_.user.empty() || !options_.bearer_token_file.empty());
  if (use == CredentialUse::kRefusedPlainHttp) {
    setup_error_ = std::string(kPlainHttpRefusal);
    return;
  }
  if (use == CredentialUse::kOtherServer)
    unsent_note_ = "the credentials in the settings are for " +
                   ServerBase(options_.credentials_server) + " only";
  if (use == CredentialUse::kNoServerNamed) unsent_note_ = std::string(kNoServerNamedHint);
  const bool send = use == CredentialUse::kSend;
  if (!send) {
    options_.user.clear();
    options_.password.clear();
    options_.bearer_token_file.clear();
  }
  std::string token;
  if (send && !options_.bearer_token_file.empty() &&
      !ReadBearerToken(options_.bearer_token_file, &token, &setup_error_))
    return;
  curl_ = CurlLibrary::Load(&setup_error_);
  if (curl_ == nullptr) return;
  easy_ = curl_->easy_init();
  multi_ = curl_->multi_init();
  if (easy_ == nullptr || multi_ == nullptr) {
    setup_error_ = "libcurl could not create a transfer";
    return;
  }
  CURL* easy = Easy(easy_);
  const auto setopt = curl_->easy_setopt;
  headers_ = curl_->slist_append(nullptr, "Accept: application/json");
  if (!token.empty())
    headers_ = curl_->slist_append(static_cast<curl_slist*>(headers_),
                                   ("Authorization: Bearer " + token).c_str());
  setopt(easy, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(headers_));
  setopt(easy, CURLOPT_WRITEFUNCTION, &ServerRequest::Write);
  setopt(easy, CURLOPT_WRITEDATA, this);
  setopt(easy, CURLOPT_ERRORBUFFER, curl_error_.get());
  setopt(easy, CURLOPT_NOSIGNAL, 1L);  // see ExporterScrape: the resolver never holds Stop
  setopt(easy, CURLOPT_QUICK_EXIT, 1L);
  setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connect_timeout.count()));
  setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.total_timeout.count()));
  // With credentials the transfer is HTTPS alone. Redirects are never followed, and
  // credentials never go to another host even if they were.
  setopt(easy, CURLOPT_PROTOCOLS_STR, send ? "https" : "http,https");
  setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  setopt(easy, CURLOPT_UNRESTRICTED_AUTH, 0L);
  setopt(easy, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));
  setopt(easy, CURLOPT_USERAGENT, "Corvane");
  setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options_.max_answer_bytes));
  setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip");
  if (!options_.ca_file.empty()) setopt(easy, CURLOPT_CAINFO, options_.ca_file.c_str());
  if (send && !options_.user.empty()) {
    setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    setopt(easy, CURLOPT_USERNAME, options_.user.c_str());
    setopt(easy, CURLOPT_PASSWORD, options_.password.c_str());
  }
}

ServerRequest::~ServerRequest() {
  Cancel();
  if (curl_ == nullptr) return;
  if (multi_ != nullptr) curl_->multi_cleanup(Multi(multi_));
  if (easy_ != nullptr) curl_->easy_cleanup(Easy(easy_));
  curl_->slist_free_all(static_cast<curl_slist*>(headers_));
}

std::size_t ServerRequest::Write(char* data, std::size_t size, std::size_t count, void* self) {
  auto* request = static_cast<ServerRequest*>(self);
  const std::size_t bytes = size * count;
  const std::size_t room = request->options_.max_answer_bytes -
                           std::min(request->body_.size(), request->options_.max_answer_bytes);
  if (bytes > room) {
    request->too_large_ = true;
    return 0;
  }
  request->body_.append(data, bytes);
  return bytes;
}

void ServerRequest::Cancel() {
  if (!running_) return;
  curl_->multi_remove_handle(Multi(multi_), Easy(easy_));
  running_ = false;
  transfer_error_ = "the request was cancelled";
}

bool ServerRequest::Run(std::string_view api_path, std::string form,
                        std::chrono::steady_clock::time_point deadline) {
  if (!running_) {
    body_.clear();
    too_large_ = false;
    http_status_ = 0;
    curl_error_[0] = '\0';
    sent_time_ = SteadySeconds();
    if (!setup_error_.empty()) {
      transfer_error_ = setup_error_;
      return true;
    }
    url_ = base_ + std::string(api_path);
    form_ = std::move(form);
    CURL* easy = Easy(easy_);
    curl_->easy_setopt(easy, CURLOPT_URL, url_.c_str());
    curl_->easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form_.size()));
    curl_->easy_setopt(easy, CURLOPT_POSTFIELDS, form_.c_str());
    if (curl_->multi_add_handle(Multi(multi_), easy) != CURLM_OK) {
      transfer_error_ = "libcurl could not start the transfer";
      return true;
    }
    running_ = true;
  }
  while (running_) {
    int active = 0;
    const CURLMcode performed = curl_->multi_perform(Multi(multi_), &active);
    int queued = 0;
    while (CURLMsg* message = curl_->multi_info_read(Multi(multi_), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      curl_->multi_remove_handle(Multi(multi_), message->easy_handle);
      running_ = false;
      Finish(message->data.result);
    }
    if (!running_) break;
    if (performed != CURLM_OK) {
      Cancel();
      transfer_error_ = curl_->multi_strerror(performed);
      break;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const int wait_ms = static_cast<int>(std::clamp<long long>(left.count() + 1, 1, 100));
    curl_->multi_poll(Multi(multi_), nullptr, 0, wait_ms, nullptr);
  }
  return true;
}

void ServerRequest::Finish(int curl_code) {
  transfer_error_.clear();
  if (too_large_ || curl_code == CURLE_FILESIZE_EXCEEDED) {
    transfer_error_ = "answer larger than " + SizeText(options_.max_answer_bytes);
    body_.clear();
    body_.shrink_to_fit();
    return;
  }
  if (curl_code != CURLE_OK) {
    transfer_error_ =
        TransferFailure(*curl_, easy_, curl_code, curl_error_.get(), options_.connect_timeout,
                        options_.total_timeout, "not a Prometheus server");
    return;
  }
  curl_->easy_getinfo(Easy(easy_), CURLINFO_RESPONSE_CODE, &http_status_);
  // The parser reads the answer where it is, past its end too.
  body_.reserve(body_.size() + kAnswerPadding);
}

bool ServerRequest::Answer(ServerAnswer* answer, std::string* reason) {
  if (running_ || !transfer_error_.empty()) *answer = ServerAnswer();
  if (running_) {
    *reason = base_ + ": no answer yet";
    return false;
  }
  if (!transfer_error_.empty()) {
    *reason = base_ + ": " + transfer_error_;
    return false;
  }
  std::string why;
  const bool parsed = parser_.Parse(body_, body_.capacity(), options_.limits, answer, &why);
  if (http_status_ != 200) {
    // The API answers errors with a status of 400, 422 or 503 and says why in the body.
    *reason = base_ + ": " +
              (parsed && !answer->success
                   ? ErrorOf(*answer) + " (HTTP status " + std::to_string(http_status_) + ")"
                   : "HTTP status " + std::to_string(http_status_));
    if (http_status_ == 401 || http_status_ == 403)
      *reason += unsent_note_.empty() ? ": the server refuses the credentials"
                                      : ": the server asks for credentials; " + unsent_note_;
    return false;
  }
  if (!parsed) {
    *reason = base_ + ": the answer is not understood: " + why;
    return false;
  }
  if (!answer->success) {
    *reason = base_ + ": " + ErrorOf(*answer);
    return false;
  }
  reason->clear();
  return true;
}

}  // namespace corvane::remote
