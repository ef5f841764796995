// What a host program lends the monitoring engine: the window the collector repaints, a sink
// for the messages an interactive engine shows, and the size of the primary screen. The engine
// keeps plain pointers; the host keeps each object alive for as long as the engine may call it
// (see each interface). Also the string ids and texts of the engine's own messages.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace corvane {

// String ids of the engine's messages, the numbers the desktop's string table and help use.
namespace string_id {
inline constexpr int kCannotStopCollector = 61210;  // shown by hosts when Stop gives up
inline constexpr int kConnectionFailed = 61213;     // unreachable hosts, with a Help button
inline constexpr int kCannotWriteFile = 61217;      // a log or profile that cannot be written
inline constexpr int kConnecting = 62000;           // status text while a machine connects
}  // namespace string_id

// Help context of the unreachable-hosts message: the connection-trouble help page.
inline constexpr int kConnectionHelpContext = 200;

inline constexpr std::string_view kConnectingFormat =
    "Connecting to %s\n\nThis may take some time.\n\nPlease wait...";
inline constexpr std::string_view kConnectionFailedText =
    "Connection failed. For more information\npress Help button. Unreachable hosts:\n";
inline constexpr std::string_view kCannotStopCollectorText =
    "Cannot stop counter collecting process. The most possible reason is the slowness of the "
    "network during connection to the remote machine. Please try to update the data later.";
inline constexpr std::string_view kCannotCreateQueryText =
    "Cannot create a query for performance data.";
inline constexpr std::string_view kCannotWriteFileText = "Cannot write to file: ";

// The window the collector asks to repaint after every sample. Invalidate is called from the
// collector thread while the engine's lock is held: it only posts a repaint request to the
// window's own thread and returns, never waiting for that thread. The window must stay alive
// until the collector has stopped or the engine has been told to forget it (ClearWindow).
class EngineWindow {
 public:
  virtual ~EngineWindow() = default;
  // erase: clear the background before painting.
  virtual void Invalidate(bool erase) = 0;
};

enum class MessageIcon {
  kNone,   // a plain box with an OK button
  kError,  // an error box
};

// One message of an interactive engine, as the desktop shows it in a message box.
struct EngineMessage {
  int string_id = 0;  // the string table id the text starts with; 0 for a literal text
  std::string text;   // the whole text, ready to show
  MessageIcon icon = MessageIcon::kNone;
  bool system_modal = false;
  int help_context = 0;  // 0: no Help button
};

// Shows an interactive engine's messages. Called from the collector thread and from the
// thread that calls the engine; an implementation hands the message to its user-interface
// thread and returns without waiting for the user (the engine may be stopping meanwhile).
// Must outlive the engine.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const EngineMessage& message) = 0;
};

struct ScreenSize {
  int width = 0;   // pixels
  int height = 0;  // pixels

  bool operator==(const ScreenSize&) const = default;
};

// The screen size a host without a screen (the service) reports.
inline constexpr ScreenSize kNoScreenSize{1024, 768};

// The size of the primary screen, asked whenever the engine builds default window settings or
// checks a loaded window rectangle. Any thread that calls the engine. Must outlive the engine.
class ScreenInfo {
 public:
  virtual ~ScreenInfo() = default;
  virtual ScreenSize PrimaryScreenSize() const = 0;
};

// Told when the activity log stops reaching its file and when it reaches it again: once per
// change, never once per sample, so a host can put it in its system log or status bar. `reason`
// is the system's text, such as "No space left on device". Called with the engine's lock held,
// on the collector thread or the thread that calls the engine: an implementation writes a line
// or queues the news to its window's thread and returns. Must outlive the engine.
class LogStatusSink {
 public:
  virtual ~LogStatusSink() = default;
  virtual void LogFailing(const std::string& log_path, const std::string& reason) = 0;
  virtual void LogRecovered(const std::string& log_path) = 0;
};

// One counter entering or leaving the alert state (core/alert_rule.h) at the end of a sample.
// The texts point into the engine and are valid only during the AlertSink call.
struct AlertEvent {
  int axis = 0;
  bool entered = false;           // false: the alert ended
  bool stopped = false;           // ended because collecting stopped, not by normal samples
  bool available = true;          // false: the counter has no value this sample ("N/A")
  double value = 0.0;             // the current value in the axis's units (after its multiplier)
  double critical = 0.0;          // the axis's critical value, same units
  std::string_view name;          // the axis's name
  std::string_view counter_path;  // its counter path, machine part included when remote
};

// Told of every sample that changed some counter's alert state: one call per sample with all
// of that sample's changes (a burst of counters turning critical together is one call), and
// the number of counters in alert afterwards. When collecting stops, counters still in alert
// end with `stopped` set. Called on the collector thread with the engine's lock held: an
// implementation copies what it needs, writes a line or posts to its window's thread, and
// returns. Must outlive the engine (or be replaced before it goes).
class AlertSink {
 public:
  virtual ~AlertSink() = default;
  virtual void AlertsChanged(std::span<const AlertEvent> changes, int in_alert) = 0;
};

// The services a host lends its engine at construction; a null member means the host has none:
// no messages are shown, the screen counts as kNoScreenSize, and a failing log is told to no
// one (the screen saver's way).
struct EngineHost {
  MessageSink* messages = nullptr;
  const ScreenInfo* screen = nullptr;
  LogStatusSink* log_status = nullptr;
  AlertSink* alerts = nullptr;
};

}  // namespace corvane
