// The service's metrics endpoint: an HTTP server on the configured address that answers
// GET /metrics with the metrics page of the engine's last sample, and, for a browser, / with
// the live wind rose and its table, /rose.svg and /rose.png with the picture alone (503 for the
// PNG when cairo is not installed), /events with a stream of
// every new picture and its values, /rose.js and /rose.css; anything else with 404 (405 for
// other methods). Owns the server, the picture kept for the current sample and the buffers a
// scrape reuses.
//
// Each picture is drawn once, on the server's thread, when the first request after the
// engine's repaint asks for it; every request and stream then shares it. A stream gets the
// picture whole first, and then only its moving group (value texts and polylines) for as long
// as the rest of the picture stays the same.
//
// A scrape copies the last sample through `copy` (which takes the chart lock only to copy) and
// formats the page on the server's own thread, outside the lock; the collector is never
// waited for beyond that copy.
//
// With a web configuration file the page is served over TLS and behind basic authentication as
// the file says, and the file and the keys it names are looked at again once a second, so that
// new passwords and certificates are served without a restart.
//
// Threads: Start and the destructor on the owner's thread; `copy` and the rose's functions are
// called on the server's thread and must stay callable until the server is destroyed; the
// reloader's `report` on the reloader's thread; Repainted on any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/http/http_server.h"
#include "platform/linux/http/listener_security.h"
#include "platform/linux/http/web_config_reloader.h"
#include "service/metrics_snapshot.h"
#include "service/monitor_engine.h"
#include "service/recorded_rose.h"
#include "service/rose_page.h"
#include "service/rose_picture.h"

namespace corvane::service {

class MetricsServer final : public http::RequestHandler {
 public:
  using CopyMetrics = std::function<void(MetricsSnapshot*)>;

  // The web configuration file a listener serves by, and where what its reloads do is told.
  struct WebConfigUse {
    std::string path;
    http::WebConfigReloader::Report report;
  };

  // What the browser's pages show besides the metrics.
  struct RoseSource {
    RosePicture::Draw draw;                     // the whole picture, as the window shows it
    std::function<std::string()> profile_name;  // the running profile's name
    std::function<MonitorEngine::LogPlace()> log_place;  // where recorded moments are read
    RecordedRose::MakeProvider make_provider;            // for the engine that draws them
    RosePicture::Render png;                             // makes the PNG pictures; null: cairo
  };

  // Serves on `address`; nothing with *error saying why ("cannot listen on 127.0.0.1:9393:
  // Address already in use", "cannot serve metrics: /etc/corvane/web.yml: line 3: ...").
  static std::unique_ptr<MetricsServer> Start(const http::ListenAddress& address, CopyMetrics copy,
                                              http::StartError* error,
                                              const http::HttpLimits& limits = {},
                                              const WebConfigUse* web_config = nullptr,
                                              RoseSource rose = {});
  ~MetricsServer() override;  // stops serving first

  http::Reply Get(std::string_view path, std::string* body) override;
  http::Reply Answer(const http::Request& request, std::string* body) override;

  // The engine has a new picture: the streams are told. Any thread; only signals.
  void Repainted();
  // How many event streams are open. Any thread.
  std::size_t StreamCount() const { return server_->StreamCount(); }
  // How many pictures have been drawn. Server thread (or once it serves no more).
  std::size_t PictureDraws() const { return picture_.draws(); }

  // How many streams may be open at once: the listener's other connections stay for scrapes.
  static unsigned StreamLimit(const http::HttpLimits& limits);
  std::uint16_t port() const { return server_->port(); }
  // Whether the page is served over TLS now.
  bool tls() const;

 private:
  class SampleStream;
  // Why a request could not be answered: its status and the one line it gets.
  struct Failure {
    unsigned status = 404;
    std::string text;
  };

  MetricsServer(CopyMetrics copy, RoseSource rose);
  // The view of the current sample: snapshot, rows, picture at the default size.
  RoseView CurrentView();
  // A sample's stream events, made and framed once and shared by every stream: the picture
  // whole, and its moving group alone for the streams that have its still layer.
  struct Event {
    std::shared_ptr<const std::string> whole;  // null before the first
    std::shared_ptr<const std::string> moving;
    std::uint64_t picture = 0;  // the picture they show
    std::uint64_t still = 0;    // counts the still layers: which one the picture has
  };
  // The events of the current picture.
  const Event& CurrentEvent();
  // The recording of the profile's log, made (again) for the log it writes now; null when it
  // writes none.
  RecordedRose* Recorded();
  // The time of the sample in snapshot_ in the recording's local seconds; 0 before one.
  std::int64_t LiveLocalSeconds() const;
  // Puts the log's range and, when the request asks for one, a recorded moment into `view`
  // and its picture in `format` into *image; false with *failure (for the answer) when the
  // moment asked for cannot be shown.
  bool AddRecording(const http::Request& request, PictureFormat format, RoseView* view,
                    std::string* image, Failure* failure);
  // /rose.svg and /rose.png: the current picture or a recorded moment, at the size asked for.
  http::Reply AnswerPicture(const http::Request& request, PictureFormat format, std::string* body);
  // The answer's line for a picture that could not be drawn: `drawn` false when the picture
  // could not be made at all (no cairo), not for want of a moment.
  static std::string PictureFailure(PictureFormat format, std::string_view reason, bool drawn);

  CopyMetrics copy_;
  RoseSource rose_;
  std::string machine_;
  unsigned stream_limit_ = 0;
  std::atomic<std::uint64_t> repaints_{0};
  MetricsSnapshot snapshot_;  // server thread only
  RosePicture picture_;       // server thread only
  Event event_;               // server thread only
  std::string still_layer_;   // server thread only: the still part of event_'s picture
  std::unique_ptr<RecordedRose> recorded_;            // server thread only
  MonitorEngine::LogPlace recorded_place_;            // what recorded_ reads
  std::unique_ptr<http::ListenerSecurity> security_;  // null: plain HTTP for anyone
  std::unique_ptr<http::HttpServer> server_;
  std::unique_ptr<http::WebConfigReloader> reloader_;  // renews server_: stopped first
};

}  // namespace corvane::service
