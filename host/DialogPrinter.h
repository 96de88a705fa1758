// What a dialog shows, printed as plain lines in a fixed order, ready to
// diff: the window, every control (each window inside with a control ID),
// the tab strips and the list columns. Only reads windows: it never clicks,
// waits or closes anything (DialogReport drives the dialog).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace host {

// In double quotes on one line, so every control stays one line of output.
std::string Quoted(const std::string& text);
// "(left,top widthxheight)"
std::string Box(const RECT& rect);
std::string YesNo(bool value);

class DialogPrinter {
 public:
  // Gets each line; `failure` marks the lines that make the report fail.
  using Sink = std::function<void(const std::string& line, bool failure)>;

  // Finds the controls once: the dialog's descendants with a non-zero
  // control ID (the helper windows of common controls have none).
  DialogPrinter(HWND dialog, HWND owner, DWORD threadId, Sink sink);

  void PrintDialog();
  // Every control in ID order; an ID from 1 to the highest that is missing
  // or used twice is a failure. Then any window without an ID on the dialog
  // or a page.
  void PrintControls();
  void PrintTabs();
  void PrintLists();

  int IdOf(HWND window) const;
  // The tab controls among the controls, in ID order.
  std::vector<HWND> TabControls() const;
  // The one push button among the controls; 0 when there is none or more.
  HWND PushButton() const;
  // "dialog", "host window", "control N" or the window's class.
  std::string Describe(HWND window) const;
  std::string Focus() const;
  // The page as "control N \"caption\"", or "none".
  std::string PageText(HWND page) const;

 private:
  void Line(const std::string& text) { sink_(text, false); }
  void Fail(const std::string& text) { sink_("FAIL " + text, true); }

  HWND dialog_;
  HWND owner_;
  DWORD threadId_;
  Sink sink_;
  std::map<int, HWND> controls_;
  std::map<int, int> idCount_;
};

}  // namespace host
