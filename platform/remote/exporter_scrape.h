// Fetching exporter pages over HTTP or HTTPS with libcurl, which the first scrape loads (see
// curl_library.h). An ExporterScrape is one URL with its curl handle and the last page it
// fetched; a ScrapeRunner fetches several at once (one curl multi handle, no thread per host)
// and returns when each has finished or a deadline has passed, so dead hosts cost one time-out
// together. A scrape still running at the deadline goes on at the runner's next run, and its
// answer serves that run. Both belong to one thread. Nothing is passed to a shell.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/remote/exporter_page.h"

namespace corvane::remote {

class CurlLibrary;
class ScrapeRunner;

struct ScrapeOptions {
  // Both bounds hold for a whole collection, since the machines are fetched side by side:
  // together with the collector's 100 ms pass they stay inside Stop's 5-second wait.
  std::chrono::milliseconds connect_timeout{2000};  // name lookup and TCP/TLS connection
  std::chrono::milliseconds total_timeout{4000};    // the whole request
  std::size_t max_page_bytes = 32u << 20;           // a larger page is refused
  bool gzip = true;                                 // ask for a compressed page
  std::string ca_file;  // PEM file of trusted certificates for HTTPS; empty: the system's
};

class ExporterScrape {
 public:
  ExporterScrape(std::string url, const ScrapeOptions& options);
  ~ExporterScrape();
  ExporterScrape(const ExporterScrape&) = delete;
  ExporterScrape& operator=(const ExporterScrape&) = delete;

  const std::string& url() const { return url_; }

  // The result of the last finished fetch: whether a page was fetched (HTTP 200) and parsed,
  // else why not ("http://h:9100/metrics: connection refused").
  bool ok() const { return ok_; }
  // Still waiting for its answer after the last run's deadline; ok() and error() then tell of
  // nothing yet.
  bool running() const { return runner_ != nullptr; }
  const std::string& error() const { return error_; }
  const ExporterPage& page() const { return *page_; }
  // Hands the page over, leaving an empty one for the next run.
  std::unique_ptr<ExporterPage> TakePage();
  // When the exporter read its sources, estimated as halfway between the request being sent
  // and the first byte of the answer: seconds on the steady clock.
  double read_time() const { return read_time_; }

 private:
  friend class ScrapeRunner;
  static std::size_t Write(char* data, std::size_t size, std::size_t count, void* self);
  void Begin(double start_time);
  void Finish(int curl_code);
  void Fail(std::string reason);
  std::string CurlReason(int curl_code) const;

  std::string url_;
  std::size_t max_page_bytes_;
  std::chrono::milliseconds connect_timeout_;
  std::chrono::milliseconds total_timeout_;
  ScrapeRunner* runner_ = nullptr;     // while a fetch is in the runner's transfers
  const CurlLibrary* curl_ = nullptr;  // null when libcurl could not be loaded
  std::string curl_failure_;           // then why
  void* easy_ = nullptr;               // CURL*
  void* headers_ = nullptr;            // curl_slist*
  std::unique_ptr<ExporterPage> page_;
  std::unique_ptr<char[]> curl_error_;  // CURL_ERROR_SIZE bytes
  bool too_large_ = false;
  bool finished_ = false;
  bool ok_ = false;
  std::string error_;
  double start_time_ = 0;
  double read_time_ = 0;
};

class ScrapeRunner {
 public:
  ScrapeRunner();
  ~ScrapeRunner();
  ScrapeRunner(const ScrapeRunner&) = delete;
  ScrapeRunner& operator=(const ScrapeRunner&) = delete;

  // Starts every scrape that is not running and drives all running ones until each of
  // `scrapes` has finished or `deadline` has passed. The first run with a scrape creates the
  // transfers' set, so a runner that never fetches never touches libcurl. The runner keeps the
  // connections open, so scraping the same hosts again costs no new connection.
  void Run(std::span<ExporterScrape* const> scrapes,
           std::chrono::steady_clock::time_point deadline);
  // Ends a scrape's running fetch without a result.
  void Cancel(ExporterScrape* scrape);

 private:
  const CurlLibrary* curl_ = nullptr;
  void* multi_ = nullptr;  // CURLM*, made by the first run
  std::vector<ExporterScrape*> running_;
};

// Seconds on the steady clock, the time base of read_time().
double SteadySeconds();

// Why a libcurl transfer failed, in words a user can act on ("connection refused", "unknown
// host", "timed out after 4 s", "TLS error: ..."); not_answer starts the text for an answer
// that is not what was asked for ("not a metrics page").
std::string TransferFailure(const CurlLibrary& curl, void* easy, int curl_code,
                            const char* error_buffer, std::chrono::milliseconds connect_timeout,
                            std::chrono::milliseconds total_timeout, std::string_view not_answer);

// A page size for messages: "32 MB", "4 KB", "1000 bytes".
std::string SizeText(std::size_t bytes);

}  // namespace corvane::remote
