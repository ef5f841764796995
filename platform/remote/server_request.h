// Requests to a Prometheus server's HTTP API over HTTP or HTTPS with libcurl: one POST of a
// form at a time, driven until it ends or a deadline passes. A request still running at the
// deadline goes on, and its answer serves the next run, as a slow exporter's scrape does. The
// connection is kept open between requests. Owned by one thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/remote/server_answer.h"

namespace corvane::remote {

class CurlLibrary;

// How to reach the server. The address comes from the profile; everything about trust and
// credentials comes from the user's settings, never from a profile that people pass around.
// The credentials go only to credentials_server, and only over HTTPS (credential_scope.h).
struct ServerOptions {
  std::string url;                 // "http://prom:9090" or "https://prom.example/prometheus"
  std::string ca_file;             // PEM file of trusted certificates; empty: the system's
  std::string user;                // basic authentication when not empty
  std::string password;            // with the user
  std::string bearer_token_file;   // "Authorization: Bearer <the file's text>" when not empty
  std::string credentials_server;  // the server the user or the token is for: "https://prom:9090"
  std::chrono::milliseconds connect_timeout{2000};
  std::chrono::milliseconds total_timeout{4000};
  std::size_t max_answer_bytes = 32u << 20;  // a larger answer is refused
  AnswerLimits limits;
};

// The server's address without a trailing slash, as the requests and the messages use it.
std::string ServerBase(std::string_view url);

// Form encoding of one value ("a b" -> "a%20b").
std::string FormEscape(std::string_view text);

class ServerRequest {
 public:
  explicit ServerRequest(const ServerOptions& options);
  ~ServerRequest();
  ServerRequest(const ServerRequest&) = delete;
  ServerRequest& operator=(const ServerRequest&) = delete;

  // Starts a POST of `form` to the API path ("/api/v1/query") unless a request is still
  // running, which then goes on instead; drives it until it ends or `deadline` passes. True
  // when it ended (answered or failed), false when it is still running.
  bool Run(std::string_view api_path, std::string form,
           std::chrono::steady_clock::time_point deadline);
  bool running() const { return running_; }
  // Ends a running request without a result.
  void Cancel();

  // Of the last request that ended: the answer read (true), else *reason says why, naming the
  // server ("http://prom:9090: connection refused", "...: the server answered an error:
  // bad_data: ...", "...: the answer is not understood: more than 200000 series", or, with
  // credentials set for an http:// server, "http://prom:9090: " + kPlainHttpRefusal).
  bool Answer(ServerAnswer* answer, std::string* reason);
  // Seconds on the steady clock when the last request was sent.
  double sent_time() const { return sent_time_; }
  const std::string& base() const { return base_; }

 private:
  static std::size_t Write(char* data, std::size_t size, std::size_t count, void* self);
  void Finish(int curl_code);

  ServerOptions options_;
  std::string base_;
  std::string url_;   // of the running request
  std::string form_;  // of the running request; libcurl reads it while sending
  const CurlLibrary* curl_ = nullptr;
  std::string setup_error_;  // why no request can be made
  std::string unsent_note_;  // why the settings' credentials did not go, for a 401 or 403
  void* easy_ = nullptr;     // CURL*
  void* multi_ = nullptr;    // CURLM*
  void* headers_ = nullptr;  // curl_slist*
  std::unique_ptr<char[]> curl_error_;
  std::string body_;  // with room for kAnswerPadding bytes after it once the request ended
  AnswerParser parser_;
  bool too_large_ = false;
  bool running_ = false;
  long http_status_ = 0;
  std::string transfer_error_;  // empty when the last request got an HTTP answer
  double sent_time_ = 0;
};

}  // namespace corvane::remote
