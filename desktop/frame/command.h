// Command: one row of the main window's command table (CMainFrame::Commands): everything the
// menu bar, the context menu and the tray menu know of a command. Plain data; any thread.
#pragma once

#include <QKeySequence>

namespace corvane::desktop {

class CMainFrame;

struct Command {
  int id;            // the command's number (cmd::), as the help and the prompts know it
  const char* name;  // stable name the menus are built from, e.g. "file.new"
  const char* text;  // menu text, translated in the CMainFrame context; "" for a recent file
  QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
  const char* prompt = "";  // status-bar prompt; "" for none
  bool checkable = false;
  void (*handler)(CMainFrame& frame) = nullptr;
  bool (*checked)(const CMainFrame& frame) = nullptr;  // check state, for a checkable command
};

}  // namespace corvane::desktop
