#include "host/DialogPrinter.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "host/WindowRead.h"

namespace host {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Box(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return text;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

DialogPrinter::DialogPrinter(HWND dialog, HWND owner, DWORD threadId, Sink sink)
    : dialog_(dialog), owner_(owner), threadId_(threadId), sink_(std::move(sink)) {
  for (HWND window : Descendants(dialog_)) {
    const int id = GetDlgCtrlID(window);
    if (id == 0) continue;
    ++idCount_[id];
    if (!controls_.count(id)) controls_[id] = window;
  }
}

int DialogPrinter::IdOf(HWND window) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [window](const auto& control) { return control.second == window; });
  return found == controls_.end() ? 0 : found->first;
}

std::vector<HWND> DialogPrinter::TabControls() const {
  std::vector<HWND> tabs;
  for (const auto& [id, control] : controls_) {
    if (IsClass(control, WC_TABCONTROLW)) tabs.push_back(control);
  }
  return tabs;
}

HWND DialogPrinter::PushButton() const {
  HWND found = nullptr;
  for (const auto& [id, control] : controls_) {
    if (!IsPushButton(control)) continue;
    if (found) return nullptr;
    found = control;
  }
  return found;
}

std::string DialogPrinter::Describe(HWND window) const {
  if (!window) return "none";
  if (window == dialog_) return "dialog";
  if (window == owner_) return "host window";
  if (const int id = IdOf(window)) return "control " + std::to_string(id);
  return "window of class " + ClassOf(window);
}

std::string DialogPrinter::Focus() const { return Describe(GuiThreadOf(threadId_).hwndFocus); }

std::string DialogPrinter::PageText(HWND page) const {
  return page ? Describe(page) + " " + Quoted(Utf8(TextOf(page))) : std::string("none");
}

void DialogPrinter::PrintDialog() {
  const ScreenPlacement at = PlacementOf(dialog_);
  Line("dialog " + Quoted(Utf8(TextOf(dialog_))) + " class " + ClassOf(dialog_));
  Line("dialog owner " + Describe(GetWindow(dialog_, GW_OWNER)));
  Line("dialog client " + std::to_string(at.clientSize.cx) + "x" + std::to_string(at.clientSize.cy) +
       " at (" + std::to_string(at.clientOrigin.x) + "," + std::to_string(at.clientOrigin.y) + ")");
  Line("dialog window " + Box(at.outer));
  MONITORINFO primary{};
  primary.cbSize = sizeof primary;
  if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary))
    Line("primary screen " + Box(primary.rcMonitor) + ", work area " + Box(primary.rcWork) +
         ", all screens " +
         Box({GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
              GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
  const GUITHREADINFO gui = GuiThreadOf(threadId_);
  Line("dialog active " + YesNo(gui.hwndActive == dialog_) + ", focus on " + Describe(gui.hwndFocus));
  Line("host window enabled " + YesNo(IsWindowEnabled(owner_) != FALSE));
}

void DialogPrinter::PrintControls() {
  const int highest = controls_.empty() ? 0 : controls_.rbegin()->first;
  Line("controls " + std::to_string(controls_.size()) + ", IDs up to " + std::to_string(highest));
  for (int id = 1; id <= highest; ++id) {
    if (!controls_.count(id)) Fail("control " + std::to_string(id) + " missing");
  }
  for (const auto& [id, control] : controls_) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    std::string line = "control " + std::to_string(id) + " " + ClassOf(control) + " " +
                       Quoted(Utf8(TextOf(control))) + " " + Box(RectInParent(control)) + " in " +
                       Describe(GetParent(control)) + " " + ((style & WS_VISIBLE) ? "visible" : "hidden");
    if (style & WS_DISABLED) line += " disabled";
    if (IsClass(control, L"Static") && (style & SS_TYPEMASK) == SS_ICON) {
      line += Ask(control, STM_GETICON, 0, 0) ? " icon" : " no-icon";
    }
    Line(line);
    if (idCount_[id] > 1)
      Fail("control ID " + std::to_string(id) + " is used " + std::to_string(idCount_[id]) + " times");
  }
  // Anything else placed on the dialog or on a page is worth knowing about.
  std::vector<HWND> containers{dialog_};
  for (HWND tabs : TabControls()) {
    for (HWND page : Children(tabs)) containers.push_back(page);
  }
  for (HWND container : containers) {
    for (HWND child : Children(container)) {
      if (IdOf(child)) continue;
      Line("other window id " + std::to_string(GetDlgCtrlID(child)) + " " + ClassOf(child) + " " +
           Quoted(Utf8(TextOf(child))) + " in " + Describe(container));
    }
  }
}

void DialogPrinter::PrintTabs() {
  for (HWND tabs : TabControls()) {
    const std::vector<TabItem> items = TabItems(tabs);
    Line("tabs of control " + std::to_string(IdOf(tabs)) + ": " + std::to_string(items.size()) +
         ", selected " + std::to_string(SelectedTab(tabs) + 1) + ", page shown " + PageText(ShownPage(tabs)));
    for (size_t i = 0; i < items.size(); ++i) {
      Line("tab " + std::to_string(i + 1) + " " + Quoted(Utf8(items[i].caption)) + " " + Box(items[i].rect));
    }
  }
}

void DialogPrinter::PrintLists() {
  for (const auto& [id, control] : controls_) {
    if (!IsClass(control, WC_LISTVIEWW)) continue;
    const std::string name = "list " + std::to_string(id);
    const std::vector<ListColumn> columns = ListColumns(control);
    for (size_t i = 0; i < columns.size(); ++i) {
      Line(name + " column " + std::to_string(i + 1) + " " + Quoted(Utf8(columns[i].caption)) + " width " +
           std::to_string(columns[i].width));
    }
    Line(name + " rows " + std::to_string(Ask(control, LVM_GETITEMCOUNT, 0, 0)));
  }
}

}  // namespace host
