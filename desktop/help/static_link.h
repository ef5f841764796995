// CStaticLink: a text label that behaves as a hyperlink. Blue and underlined, with the hand
// cursor; a click (or Space or Enter when it has the focus) opens its URL, which is taken from
// its text with "http://" in front on the first click unless one was set. Before opening, the
// main window leaves always-on-top so the browser can come to the front; the profile's
// AlwaysOntop setting is not touched, and the window is not moved or resized.
// Owned by its parent; GUI thread only.
#pragma once

#include <QLabel>
#include <QString>
#include <QUrl>
#include <functional>

namespace corvane::desktop {

class CStaticLink : public QLabel {
  Q_OBJECT

 public:
  using Opener = std::function<bool(const QUrl&)>;

  explicit CStaticLink(const QString& text, QWidget* parent = nullptr);

  const QString& url() const { return url_; }
  void setUrl(const QString& url) { url_ = url; }
  // The window taken out of always-on-top before the link opens; none by default.
  void setMainWindow(QWidget* main_window) { main_window_ = main_window; }
  // How the URL is opened: OpenLink unless a test records it.
  void setOpener(Opener opener) { opener_ = std::move(opener); }

  // What a click does.
  void Follow();

 Q_SIGNALS:
  void followed(const QUrl& url);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString url_;
  QWidget* main_window_ = nullptr;
  Opener opener_;
  bool pressed_ = false;
};

// Takes a window out of always-on-top without moving or resizing it; a window hidden in the
// tray stays hidden.
void LeaveAlwaysOnTop(QWidget* window);

}  // namespace corvane::desktop
