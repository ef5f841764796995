#include "platform/remote/exporter_scrape.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/remote/curl_library.h"

namespace corvane::remote {
namespace {

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }
CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

// "4 s", "0.6 s".
std::string Seconds(std::chrono::milliseconds time) {
  const auto ms = time.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

bool IsTlsFailure(CURLcode code) {
  switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kKiB = 1024;
  constexpr std::size_t kMiB = kKiB * kKiB;
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MB";
  if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KB";
  return std::to_string(bytes) + " bytes";
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ExporterScrape::ExporterScrape(std::string url, const ScrapeOptions& options)
    : url_(std::move(url)),
      max_page_bytes_(options.max_page_bytes),
      connect_timeout_(options.connect_timeout),
      total_timeout_(options.total_timeout),
      page_(std::make_unique<ExporterPage>()),
      curl_error_(std::make_unique<char[]>(CURL_ERROR_SIZE)) {
  curl_ = CurlLibrary::Load(&curl_failure_);
  if (curl_ == nullptr) return;
  CURL* easy = curl_->easy_init();
  easy_ = easy;
  if (easy == nullptr) return;
  const auto setopt = curl_->easy_setopt;
  // The text format, not OpenMetrics: windows_exporter would answer an OpenMetrics request in
  // that dialect.
  headers_ = curl_->slist_append(nullptr, "Accept: text/plain;version=0.0.4");
  setopt(easy, CURLOPT_URL, url_.c_str());
  setopt(easy, CURLOPT_PRIVATE, this);
  setopt(easy, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(headers_));
  setopt(easy, CURLOPT_WRITEFUNCTION, &ExporterScrape::Write);
  setopt(easy, CURLOPT_WRITEDATA, this);
  setopt(easy, CURLOPT_ERRORBUFFER, curl_error_.get());
  // Signals cannot interrupt a name lookup in a program with threads; the threaded resolver
  // keeps the lookup inside the connect time-out instead. When that time-out ends a lookup,
  // libcurl would by default wait for the resolver thread, as long as the system's resolver
  // takes (tens of seconds with a dead DNS server); told to exit quickly it leaves the thread
  // to finish alone, and the collector returns within its time-out.
  setopt(easy, CURLOPT_NOSIGNAL, 1L);
  setopt(easy, CURLOPT_QUICK_EXIT, 1L);
  setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connect_timeout.count()));
  setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total_timeout.count()));
  setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  // Exporters are scraped directly, as Prometheus does: a proxy from the environment would
  // see every host of the network and answer for dead ones.
  setopt(easy, CURLOPT_PROXY, "");
  setopt(easy, CURLOPT_USERAGENT, "Corvane");
  setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.max_page_bytes));
  if (options.gzip) setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip");
  if (!options.ca_file.empty()) setopt(easy, CURLOPT_CAINFO, options.ca_file.c_str());
}

ExporterScrape::~ExporterScrape() {
  if (runner_ != nullptr) runner_->Cancel(this);
  if (curl_ == nullptr) return;
  if (easy_ != nullptr) curl_->easy_cleanup(Easy(easy_));
  curl_->slist_free_all(static_cast<curl_slist*>(headers_));
}

std::unique_ptr<ExporterPage> ExporterScrape::TakePage() {
  auto page = std::move(page_);
  page_ = std::make_unique<ExporterPage>();
  return page;
}

std::size_t ExporterScrape::Write(char* data, std::size_t size, std::size_t count, void* self) {
  auto* scrape = static_cast<ExporterScrape*>(self);
  const std::size_t bytes = size * count;
  std::string& text = scrape->page_->text();
  if (bytes > scrape->max_page_bytes_ - std::min(text.size(), scrape->max_page_bytes_)) {
    scrape->too_large_ = true;
    return 0;  // ends the transfer with a write error
  }
  text.append(data, bytes);
  return bytes;
}

void ExporterScrape::Begin(double start_time) {
  page_->text().clear();
  curl_error_[0] = '\0';
  too_large_ = false;
  finished_ = false;
  ok_ = false;
  error_.clear();
  start_time_ = start_time;
  read_time_ = start_time;
}

void ExporterScrape::Fail(std::string reason) {
  finished_ = true;
  ok_ = false;
  error_ = url_ + ": " + reason;
  page_->Load({});
}

std::string TransferFailure(const CurlLibrary& curl, void* easy, int curl_code,
                            const char* error_buffer, std::chrono::milliseconds connect_timeout,
                            std::chrono::milliseconds total_timeout, std::string_view not_answer) {
  const auto code = static_cast<CURLcode>(curl_code);
  const auto getinfo = curl.easy_getinfo;
  long os_error = 0;
  getinfo(Easy(easy), CURLINFO_OS_ERRNO, &os_error);
  const std::string detail = error_buffer != nullptr && error_buffer[0] != '\0'
                                 ? std::string(error_buffer)
                                 : curl.easy_strerror(code);
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return "unknown host";
    case CURLE_COULDNT_CONNECT:
      if (os_error == ECONNREFUSED) return "connection refused";
      return os_error != 0 ? std::string(std::strerror(static_cast<int>(os_error))) : detail;
    case CURLE_OPERATION_TIMEDOUT: {
      curl_off_t connected = 0;
      getinfo(Easy(easy), CURLINFO_CONNECT_TIME_T, &connected);
      if (connected == 0) return "no connection within " + Seconds(connect_timeout);
      return "timed out after " + Seconds(total_timeout);
    }
    case CURLE_GOT_NOTHING:
      return "the connection closed without an answer";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      if (os_error == ECONNRESET) return "connection reset";
      return detail;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return std::string(not_answer) + ": the answer is not HTTP";
    case CURLE_BAD_CONTENT_ENCODING:
      return std::string(not_answer) + ": " + detail;
    default:
      if (IsTlsFailure(code)) return "TLS error: " + detail;
      return detail;
  }
}

std::string ExporterScrape::CurlReason(int curl_code) const {
  return TransferFailure(*curl_, easy_, curl_code, curl_error_.get(), connect_timeout_,
                         total_timeout_, "not a metrics page");
}

void ExporterScrape::Finish(int curl_code) {
  const auto code = static_cast<CURLcode>(curl_code);
  // A page announced too large stops at its header, one sent in chunks at the write.
  if (too_large_ || code == CURLE_FILESIZE_EXCEEDED)
    return Fail("answer larger than " + SizeText(max_page_bytes_));
  if (code != CURLE_OK) return Fail(CurlReason(curl_code));
  const auto getinfo = curl_->easy_getinfo;
  long status = 0;
  getinfo(Easy(easy_), CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return Fail("HTTP status " + std::to_string(status));
  curl_off_t sent = 0;
  curl_off_t first_byte = 0;
  getinfo(Easy(easy_), CURLINFO_PRETRANSFER_TIME_T, &sent);
  getinfo(Easy(easy_), CURLINFO_STARTTRANSFER_TIME_T, &first_byte);
  read_time_ = start_time_ + static_cast<double>(sent + first_byte) / 2e6;
  if (!page_->Index()) {
    const ParseError& parse = page_->error();
    return Fail("not a metrics page (line " + std::to_string(parse.line) + ": " +
                std::string(parse.reason) + ")");
  }
  finished_ = true;
  ok_ = true;
}

ScrapeRunner::ScrapeRunner() = default;

ScrapeRunner::~ScrapeRunner() {
  while (!running_.empty()) Cancel(running_.back());
  if (multi_ != nullptr) curl_->multi_cleanup(Multi(multi_));
}

void ScrapeRunner::Cancel(ExporterScrape* scrape) {
  const auto it = std::find(running_.begin(), running_.end(), scrape);
  if (it == running_.end()) return;
  running_.erase(it);
  curl_->multi_remove_handle(Multi(multi_), Easy(scrape->easy_));
  scrape->runner_ = nullptr;
  scrape->Fail("the fetch was cancelled");
}

void ScrapeRunner::Run(std::span<ExporterScrape* const> scrapes,
                       std::chrono::steady_clock::time_point deadline) {
  if (scrapes.empty()) return;
  std::string load_failure;
  if (curl_ == nullptr) {
    curl_ = CurlLibrary::Load(&load_failure);
    if (curl_ != nullptr) multi_ = curl_->multi_init();
  }
  const double start = SteadySeconds();
  for (ExporterScrape* scrape : scrapes) {
    if (scrape->runner_ != nullptr) continue;  // still fetching since an earlier run
    scrape->Begin(start);
    if (scrape->curl_ == nullptr) {
      scrape->Fail(scrape->curl_failure_);
      continue;
    }
    if (curl_ == nullptr) {
      scrape->Fail(load_failure);
      continue;
    }
    if (scrape->easy_ == nullptr || multi_ == nullptr) {
      scrape->Fail("libcurl could not create a transfer");
      continue;
    }
    if (curl_->multi_add_handle(Multi(multi_), Easy(scrape->easy_)) != CURLM_OK) {
      scrape->Fail("libcurl could not start the transfer");
      continue;
    }
    scrape->runner_ = this;
    running_.push_back(scrape);
  }
  const auto waiting = [&] {
    return std::any_of(scrapes.begin(), scrapes.end(),
                       [](const ExporterScrape* scrape) { return scrape->runner_ != nullptr; });
  };
  while (multi_ != nullptr && waiting()) {
    int active = 0;
    const CURLMcode performed = curl_->multi_perform(Multi(multi_), &active);
    int queued = 0;
    while (CURLMsg* message = curl_->multi_info_read(Multi(multi_), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      void* owner = nullptr;
      curl_->easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
      auto* scrape = static_cast<ExporterScrape*>(owner);
      curl_->multi_remove_handle(Multi(multi_), message->easy_handle);
      running_.erase(std::find(running_.begin(), running_.end(), scrape));
      scrape->runner_ = nullptr;
      scrape->Finish(message->data.result);
    }
    if (performed != CURLM_OK) {
      // The transfers' set itself failed: every fetch ends with its reason.
      const std::string reason = curl_->multi_strerror(performed);
      while (!running_.empty()) {
        ExporterScrape* scrape = running_.back();
        Cancel(scrape);
        scrape->Fail(reason);
      }
      break;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline || !waiting()) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const int wait_ms = static_cast<int>(std::clamp<long long>(left.count() + 1, 1, 100));
    curl_->multi_poll(Multi(multi_), nullptr, 0, wait_ms, nullptr);
  }
}

}  // namespace corvane::remote
