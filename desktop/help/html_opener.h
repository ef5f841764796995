// How a page reaches the desktop's web browser. HtmlOpener is the seam the help operation and
// the links open through; DesktopHtmlOpener starts the desktop's default program for HTML
// files itself, from its desktop entry and with an argument vector, so the URL arrives whole:
// openers that turn a file:// URL back into a path lose its #anchor on the way.
// GUI thread (it starts processes).
#pragma once

#include <QUrl>

namespace corvane::desktop {

enum class OpenResult {
  kOpened,
  kNoHandler,    // nothing on this desktop opens HTML files
  kStartFailed,  // the handler is known but could not be started
};

class HtmlOpener {
 public:
  virtual ~HtmlOpener() = default;
  virtual OpenResult Open(const QUrl& url) = 0;
};

// The handler is looked up at every call, from the environment of that moment: the default
// for text/html in the desktop entries (a terminal browser in x-terminal-emulator), else
// Debian's x-www-browser.
class DesktopHtmlOpener final : public HtmlOpener {
 public:
  OpenResult Open(const QUrl& url) override;
};

// The opener of the process: DesktopHtmlOpener unless a test put its own in place.
HtmlOpener& CurrentHtmlOpener();

// Puts an opener in place for its lifetime. Test thread only.
class ScopedHtmlOpener {
 public:
  explicit ScopedHtmlOpener(HtmlOpener* opener);
  ~ScopedHtmlOpener();
  ScopedHtmlOpener(const ScopedHtmlOpener&) = delete;
  ScopedHtmlOpener& operator=(const ScopedHtmlOpener&) = delete;

 private:
  HtmlOpener* previous_;
};

// A link's address: local HTML through the HTML opener, anything else (http, https, mailto)
// through the desktop's URL handler. true when something was started.
bool OpenLink(const QUrl& url);

}  // namespace corvane::desktop
