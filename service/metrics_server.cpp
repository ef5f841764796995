#include "service/metrics_server.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "core/recording/local_seconds.h"
#include "service/layered_svg.h"
#include "service/metrics_page.h"

namespace corvane::service {
namespace {

constexpr std::string_view kHtmlType = "text/html; charset=utf-8";
constexpr std::string_view kTextType = "text/plain; charset=utf-8";
// How long a browser waits before it asks for a lost stream again.
constexpr int kStreamRetryMs = 1000;
// Connections a full set of streams leaves to scrapes and page loads.
constexpr unsigned kKeptForRequests = 4;

// The page loads nothing from elsewhere, runs no inline script and is framed by no one.
constexpr http::Header kPageHeaders[] = {
    {"Content-Security-Policy",
     "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
     "connect-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-store"}};
// The picture opened on its own: its root's style attribute, nothing else.
constexpr http::Header kPictureHeaders[] = {
    {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Cache-Control", "no-store"}};
constexpr http::Header kAssetHeaders[] = {{"X-Content-Type-Options", "nosniff"},
                                          {"Cache-Control", "no-cache"}};
constexpr http::Header kStreamHeaders[] = {{"X-Content-Type-Options", "nosniff"},
                                           {"Cache-Control", "no-store"}};

std::string MachineName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "this machine";
  return name;
}

}  // namespace

// One browser's stream: an event for every picture it has not had, the current one first.
class MetricsServer::SampleStream final : public http::EventStream {
 public:
  explicit SampleStream(MetricsServer* server) : server_(server) {}
  bool Next(std::shared_ptr<const std::string>* piece) override {
    const std::uint64_t picture = server_->repaints_.load(std::memory_order_acquire);
    if (sent_ && picture == last_) return true;
    const Event& event = server_->CurrentEvent();
    // The moving group alone while the still layer is the one this reader was sent last.
    *piece = sent_ && event.still == still_ ? event.moving : event.whole;
    last_ = event.picture;
    still_ = event.still;
    sent_ = true;
    return true;
  }

 private:
  MetricsServer* server_;
  bool sent_ = false;
  std::uint64_t last_ = 0;   // the picture sent last
  std::uint64_t still_ = 0;  // the still layer it has
};

MetricsServer::MetricsServer(CopyMetrics copy, RoseSource rose)
    : copy_(std::move(copy)),
      rose_(std::move(rose)),
      machine_(MachineName()),
      picture_(rose_.draw, rose_.png ? rose_.png : RosePicture::Render(RosePicture::RenderPng)) {}

unsigned MetricsServer::StreamLimit(const http::HttpLimits& limits) {
  return limits.connections > kKeptForRequests ? limits.connections - kKeptForRequests : 0;
}

std::unique_ptr<MetricsServer> MetricsServer::Start(const http::ListenAddress& address,
                                                    CopyMetrics copy, http::StartError* error,
                                                    const http::HttpLimits& limits,
                                                    const WebConfigUse* web_config,
                                                    RoseSource rose) {
  std::unique_ptr<MetricsServer> metrics(new MetricsServer(std::move(copy), std::move(rose)));
  metrics->stream_limit_ = StreamLimit(limits);
  if (web_config != nullptr) {
    std::string reason;
    metrics->security_ = http::ListenerSecurity::Load(web_config->path, &reason);
    if (metrics->security_ == nullptr) {
      *error = {EINVAL, "cannot serve metrics: " + reason};
      return nullptr;
    }
  }
  metrics->server_ =
      http::HttpServer::Start(address, metrics.get(), limits, error, metrics->security_.get());
  if (metrics->server_ == nullptr) return nullptr;
  if (web_config != nullptr) {
    metrics->reloader_ = std::make_unique<http::WebConfigReloader>(
        metrics->server_.get(), metrics->security_.get(), web_config->report);
    metrics->reloader_->Start();
  }
  return metrics;
}

MetricsServer::~MetricsServer() {
  reloader_.reset();
  server_.reset();
}

bool MetricsServer::tls() const {
  if (security_ == nullptr) return false;
  const auto setup = security_->TlsSetup();
  return setup != nullptr && setup->flags != 0;
}

void MetricsServer::Repainted() {
  repaints_.fetch_add(1, std::memory_order_acq_rel);
  if (server_ != nullptr) server_->Wake();
}

RoseView MetricsServer::CurrentView() {
  RoseView view;
  // The picture number is read before the copy: a repaint in between makes the stream ask
  // again rather than miss the newer sample.
  view.picture = repaints_.load(std::memory_order_acquire);
  copy_(&snapshot_);
  view.machine = machine_;
  view.profile = rose_.profile_name ? rose_.profile_name() : std::string();
  if (view.profile.empty()) view.profile = "Corvane";
  view.time = LocalTimeText(snapshot_.timing.last_sample_time());
  view.rows = RowsOf(snapshot_);
  view.svg = picture_.Svg(view.picture);
  return view;
}

std::int64_t MetricsServer::LiveLocalSeconds() const {
  // 0 before the first sample.
  return recording::LocalSecondsAt(snapshot_.timing.last_sample_time()).value_or(0);
}

RecordedRose* MetricsServer::Recorded() {
  MonitorEngine::LogPlace place = rose_.log_place ? rose_.log_place() : MonitorEngine::LogPlace{};
  if (place.log.empty() || !rose_.make_provider) {
    recorded_.reset();
    return nullptr;
  }
  if (recorded_ == nullptr || place.log != recorded_place_.log ||
      place.profile != recorded_place_.profile) {
    recorded_ = std::make_unique<RecordedRose>(rose_.make_provider, place.log, place.profile);
    recorded_place_ = std::move(place);
  }
  return recorded_.get();
}

bool MetricsServer::AddRecording(const http::Request& request, PictureFormat format, RoseView* view,
                                 std::string* image, Failure* failure) {
  const std::optional<std::string_view> at = request.Argument("at");
  RecordedRose* recorded = Recorded();
  std::string reason;
  if (recorded != nullptr) view->log = recorded->Range(LiveLocalSeconds(), &reason);
  if (!at) return true;
  failure->status = 404;
  if (recorded == nullptr) {
    failure->text = "This profile keeps no activity log, so there are no recorded moments.\n";
    return false;
  }
  if (!view->log) {
    failure->text = reason + "\n";
    return false;
  }
  const std::optional<std::int64_t> time = RecordedRose::ParseMoment(*at);
  if (!time) {
    failure->text = "A moment is given in local seconds or as YYYY-MM-DD HH:MM:SS.\n";
    return false;
  }
  int width = RosePicture::kDefaultWidth;
  int height = RosePicture::kDefaultHeight;
  if (const auto size = request.Argument("size")) {
    RosePicture::ParseSize(*size, &width, &height);  // checked by the caller
  }
  // A moment that cannot be drawn is missing; a picture that cannot be made is the service's.
  bool drawn = true;
  const RosePicture::Render& render = picture_.Renderer(format);
  const auto drawing = [&](const RosePicture::Draw& draw, int w, int h, std::string* out,
                           std::string* why) { return drawn = render(draw, w, h, out, why); };
  RecordedRose::Picture picture;
  if (!recorded->Draw(*time, width, height, drawing, &picture, &failure->text)) {
    if (!drawn) failure->status = 503;
    failure->text = PictureFailure(format, failure->text, drawn);
    return false;
  }
  *image = std::move(picture.image);
  if (format == PictureFormat::kSvg) view->svg = *image;
  view->rows = std::move(picture.rows);
  view->time = recording::FormatLocalSeconds(picture.time);
  view->moment = picture.time;
  view->note = std::move(picture.note);
  return true;
}

const MetricsServer::Event& MetricsServer::CurrentEvent() {
  const std::uint64_t now = repaints_.load(std::memory_order_acquire);
  if (event_.whole == nullptr || event_.picture != now) {
    const RoseView view = CurrentView();
    const std::string_view still = LayeredSvg::Cut(view.svg).still;
    if (event_.whole == nullptr || still != still_layer_) {
      still_layer_.assign(still);
      ++event_.still;
    }
    // New buffers each time: streams still sending the last ones keep them until they are done.
    auto whole = std::make_shared<std::string>();
    AppendSampleEvent(view, whole.get());
    auto moving = std::make_shared<std::string>();
    AppendSampleEvent(view, moving.get(), /*moving_only=*/true);
    event_.whole = std::move(whole);
    event_.moving = std::move(moving);
    event_.picture = view.picture;
  }
  return event_;
}

std::string MetricsServer::PictureFailure(PictureFormat format, std::string_view reason,
                                          bool drawn) {
  if (drawn || format != PictureFormat::kPng) return std::string(reason) + "\n";
  return "This service cannot draw PNG pictures: " + std::string(reason) +
         "; /rose.svg has the same picture.\n";
}

http::Reply MetricsServer::AnswerPicture(const http::Request& request, PictureFormat format,
                                         std::string* body) {
  int width = RosePicture::kDefaultWidth;
  int height = RosePicture::kDefaultHeight;
  if (const auto size = request.Argument("size");
      size && !RosePicture::ParseSize(*size, &width, &height)) {
    body->append("The size is WIDTHxHEIGHT, each side from 16 to 4096 pixels.\n");
    return {400, kTextType};
  }
  const std::string_view type = format == PictureFormat::kPng ? "image/png" : "image/svg+xml";
  if (request.Argument("at")) {
    RoseView view;
    std::string image;
    Failure failure;
    if (!AddRecording(request, format, &view, &image, &failure)) {
      body->append(failure.text);
      return {failure.status, kTextType};
    }
    body->append(image);
    return {200, type, kPictureHeaders};
  }
  const std::uint64_t picture = repaints_.load(std::memory_order_acquire);
  if (format == PictureFormat::kSvg) {
    body->append(picture_.Svg(picture, width, height));
    return {200, type, kPictureHeaders};
  }
  std::string reason;
  const std::string* png = picture_.Png(picture, width, height, &reason);
  if (png == nullptr) {
    body->append(PictureFailure(format, reason, false));
    return {503, kTextType};
  }
  body->append(*png);
  return {200, type, kPictureHeaders};
}

http::Reply MetricsServer::Get(std::string_view path, std::string* body) {
  // Without a query: what a request for the path alone gets.
  struct NoQuery final : http::Request {
    std::optional<std::string_view> Argument(const char*) const override { return std::nullopt; }
  } request;
  request.path = path;
  return Answer(request, body);
}

http::Reply MetricsServer::Answer(const http::Request& request, std::string* body) {
  const std::string_view path = request.path;
  if (path == "/metrics") {
    copy_(&snapshot_);
    AppendMetricsPage(snapshot_, body);
    return {200, kMetricsContentType};
  }
  if (path == "/") {
    RoseView view = CurrentView();
    std::string moment_svg;
    Failure failure;
    if (!AddRecording(request, PictureFormat::kSvg, &view, &moment_svg, &failure)) {
      body->append(failure.text);
      return {failure.status, kTextType};
    }
    AppendRosePage(view, body);
    return {200, kHtmlType, kPageHeaders};
  }
  if (path == "/rose.svg") return AnswerPicture(request, PictureFormat::kSvg, body);
  if (path == "/rose.png") return AnswerPicture(request, PictureFormat::kPng, body);
  if (path == "/events") {
    if (server_->StreamCount() >= stream_limit_) {
      body->append("Too many open streams; try again later.\n");
      return {503, kTextType};
    }
    AppendStreamStart(body, kStreamRetryMs);
    return {200, "text/event-stream", kStreamHeaders, std::make_unique<SampleStream>(this)};
  }
  if (path == "/rose.js") {
    body->append(RoseScript());
    return {200, "text/javascript; charset=utf-8", kAssetHeaders};
  }
  if (path == "/rose.css") {
    body->append(RoseStyle());
    return {200, "text/css; charset=utf-8", kAssetHeaders};
  }
  body->append("Not found\n");
  return {404, kTextType};
}

}  // namespace corvane::service
