#include "platform/remote/exporter_scrape.h"

#include <cstring>

#include "platform/remote/curl_library.h"

namespace corvane::remote {
namespace {

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }
CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

}  // namespace

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ExporterScrape::ExporterScrape(std::string url, const ScrapeOptions& options)
    : url_(std::move(url)),
      max_page_bytes_(options.max_page_bytes),
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
  setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
         static_cast<long>(options.connect_timeout.count()));
  setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options.total_timeout.count()));
  setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  // Exporters are scraped directly, as Prometheus does: a proxy from the environment would
  // see every host of the network and answer for dead ones.
  setopt(easy, CURLOPT_PROXY, "");
  setopt(easy, CURLOPT_USERAGENT, "Corvane");
  setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
         static_cast<curl_off_t>(options.max_page_bytes));
  if (options.gzip) setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip");
  if (!options.ca_file.empty()) setopt(easy, CURLOPT_CAINFO, options.ca_file.c_str());
}

ExporterScrape::~ExporterScrape() {
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

void ExporterScrape::Finish(int curl_code) {
  const auto code = static_cast<CURLcode>(curl_code);
  // A page announced too large stops at its header, one sent in chunks at the write.
  if (too_large_ || code == CURLE_FILESIZE_EXCEEDED)
    return Fail("the page is larger than " + std::to_string(max_page_bytes_) + " bytes");
  if (code != CURLE_OK) {
    return Fail(curl_error_[0] != '\0' ? std::string(curl_error_.get())
                                       : std::string(curl_->easy_strerror(code)));
  }
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
    return Fail("line " + std::to_string(parse.line) + ": " + std::string(parse.reason));
  }
  finished_ = true;
  ok_ = true;
}

ScrapeRunner::ScrapeRunner() = default;

ScrapeRunner::~ScrapeRunner() {
  if (multi_ != nullptr) curl_->multi_cleanup(Multi(multi_));
}

void ScrapeRunner::Run(std::span<ExporterScrape* const> scrapes,
                       std::chrono::milliseconds total_timeout) {
  if (scrapes.empty()) return;
  std::string load_failure;
  if (curl_ == nullptr) {
    curl_ = CurlLibrary::Load(&load_failure);
    if (curl_ != nullptr) multi_ = curl_->multi_init();
  }
  const double start = SteadySeconds();
  for (ExporterScrape* scrape : scrapes) {
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
    if (curl_->multi_add_handle(Multi(multi_), Easy(scrape->easy_)) != CURLM_OK)
      scrape->Fail("libcurl could not start the transfer");
  }
  // Each transfer ends by its own time-out; the deadline only guards against a transfer that
  // libcurl never reports as done, and stays well inside Stop's 5 seconds.
  const double deadline = start + std::chrono::duration<double>(total_timeout).count() + 0.25;
  int running = 0;
  std::string unfinished = "no answer within the time-out";
  while (multi_ != nullptr) {
    const CURLMcode performed = curl_->multi_perform(Multi(multi_), &running);
    if (performed != CURLM_OK) unfinished = curl_->multi_strerror(performed);
    int queued = 0;
    while (CURLMsg* message = curl_->multi_info_read(Multi(multi_), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      void* owner = nullptr;
      curl_->easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
      static_cast<ExporterScrape*>(owner)->Finish(message->data.result);
    }
    if (performed != CURLM_OK || running == 0 || SteadySeconds() > deadline) break;
    curl_->multi_poll(Multi(multi_), nullptr, 0, 100, nullptr);
  }
  for (ExporterScrape* scrape : scrapes) {
    if (scrape->curl_ == nullptr || scrape->easy_ == nullptr || multi_ == nullptr) continue;
    curl_->multi_remove_handle(Multi(multi_), Easy(scrape->easy_));
    if (!scrape->finished_) scrape->Fail(unfinished);
  }
}

}  // namespace corvane::remote
