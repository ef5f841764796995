// Command: one row of the main window's command table (CMainFrame::Commands): everything the
// menu bar, the context menu and the tray menu know of a command, and what it does while a
// recording is shown. Plain data; any thread.
#pragma once

#include <QKeySequence>

#include "chart/wind_rose.h"

namespace corvane::desktop {

class CMainFrame;

// What a command does while a recording is shown in place of the live chart.
enum class InPlayback {
  kDisabled,  // acts on the live profile or its collector: disabled until the live chart is back
  kKept,      // the window's own options, the help and another log: at hand throughout
  kLeaves,    // goes back to the live chart first (its save check is the live profile's)
};

// A label of the chart a command shows or hides: the chart's getter and setter of it.
struct ChartLabel {
  int (chart::WindRose::*get)() const = nullptr;
  void (chart::WindRose::*set)(int show) = nullptr;
};

struct Command {
  int id;            // the command's number (cmd::), as the help and the prompts know it
  const char* name;  // stable name the menus are built from, e.g. "file.new"
  const char* text;  // menu text, translated in the CMainFrame context; "" for a recent file
  QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
  const char* prompt = "";  // status-bar prompt; "" for none
  bool checkable = false;
  InPlayback in_playback = InPlayback::kDisabled;
  void (*handler)(CMainFrame& frame) = nullptr;        // none for a label: it toggles `label`
  bool (*checked)(const CMainFrame& frame) = nullptr;  // check state, for a checkable command
  ChartLabel label = {};  // the label it toggles, display-only: the profile stays as modified
};

}  // namespace corvane::desktop
