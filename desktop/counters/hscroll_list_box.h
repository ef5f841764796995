// CHScrollListBox: the list of the counters dialog. A list widget whose horizontal scroll
// range always reaches its widest line, so that long counter paths can be scrolled into view.
// Lines go in and out through AddString, InsertString, DeleteString and ResetContent, which
// keep the extent; the extent of a line is its text width in the list's font plus 3 pixels.
// GUI thread only.
#pragma once

#include <QListWidget>
#include <QString>

namespace corvane::desktop {

class CHScrollListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit CHScrollListBox(QWidget* parent = nullptr);

  // Each returns the new line's row, or -1 when the row is out of range.
  int AddString(const QString& text);
  int InsertString(int row, const QString& text);
  // Returns the number of lines left, or -1 when the row is out of range.
  int DeleteString(int row);
  void ResetContent();

  // The width of the widest line, in pixels; 0 for an empty list.
  int HorizontalExtent() const { return extent_; }

 protected:
  void updateGeometries() override;

 private:
  int LineWidth(const QString& text) const;
  void SetExtent(int extent);

  int extent_ = 0;
};

}  // namespace corvane::desktop
