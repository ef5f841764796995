#include "desktop/counters/hscroll_list_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScrollBar>
#include <algorithm>

namespace corvane::desktop {

CHScrollListBox::CHScrollListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setUniformItemSizes(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
}

int CHScrollListBox::AddString(const QString& text) { return InsertString(count(), text); }

int CHScrollListBox::InsertString(int row, const QString& text) {
  if (row < 0 || row > count()) return -1;
  insertItem(row, text);
  const int width = LineWidth(text);
  if (width > extent_) SetExtent(width);
  return row;
}

int CHScrollListBox::DeleteString(int row) {
  if (row < 0 || row >= count()) return -1;
  delete takeItem(row);
  if (count() == 0) {
    SetExtent(0);
    return 0;
  }
  // The removed line may have been the widest: measure them all again.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = std::max(widest, LineWidth(item(i)->text()));
  QGuiApplication::restoreOverrideCursor();
  SetExtent(widest);
  return count();
}

void CHScrollListBox::ResetContent() {
  clear();
  SetExtent(0);
}

void CHScrollListBox::updateGeometries() {
  QListWidget::updateGeometries();
  // The view sizes its range from the items it has laid out; the extent is what we promise.
  QScrollBar* bar = horizontalScrollBar();
  const int room = viewport()->width();
  bar->setPageStep(room);
  bar->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
  bar->setRange(0, std::max(0, extent_ - room));
}

int CHScrollListBox::LineWidth(const QString& text) const {
  return fontMetrics().horizontalAdvance(text) + 3;
}

void CHScrollListBox::SetExtent(int extent) {
  if (extent == extent_) return;
  extent_ = extent;
  updateGeometries();
}

}  // namespace corvane::desktop
