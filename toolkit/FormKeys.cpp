#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace toolkit {
namespace {

bool Pressed(int key) { return ::GetKeyState(key) < 0; }

// True once it has the first stop, when that is all that is asked: each
// step through the tree costs Wine a server request.
bool CollectTabStops(HWND parent, std::vector<HWND>& stops, bool firstOnly) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) continue;
    if (style & WS_TABSTOP) {
      stops.push_back(child);
      if (firstOnly) return true;
    }
    // Into every container, not only WS_EX_CONTROLPARENT ones: a page sits
    // inside the tab strip, which is itself a tab stop.
    if (CollectTabStops(child, stops, firstOnly)) return true;
  }
  return false;
}

}  // namespace

std::vector<HWND> TabStops(HWND root) {
  std::vector<HWND> stops;
  CollectTabStops(root, stops, false);
  return stops;
}

void TForm::FocusFirst() {
  std::vector<HWND> stops;
  if (CollectTabStops(handle_, stops, true)) ::SetFocus(stops.front());
}

void TForm::FocusNext(bool forward) {
  const std::vector<HWND> stops = TabStops(handle_);
  if (stops.empty()) return;
  const HWND focus = ::GetFocus();
  const auto current = std::find_if(stops.begin(), stops.end(),
                                    [focus](HWND stop) { return stop == focus || ::IsChild(stop, focus); });
  const int count = static_cast<int>(stops.size());
  int next = 0;
  if (current != stops.end()) {
    const int index = static_cast<int>(current - stops.begin());
    next = (index + (forward ? 1 : count - 1)) % count;
  } else if (!forward) {
    next = count - 1;
  }
  ::SetFocus(stops[static_cast<size_t>(next)]);
}

namespace {

// Both copy keys of the system's edit controls; with Shift or Alt they are
// other commands.
bool IsCopyKey(WPARAM key) {
  return (key == 'C' || key == VK_INSERT) && Pressed(VK_CONTROL) && !Pressed(VK_SHIFT) && !Pressed(VK_MENU);
}

}  // namespace

bool TForm::HandleDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const WPARAM key = message.wParam;
  if (onCopy && IsCopyKey(key)) {
    Application->RunEvent(handle_, onCopy);
    return true;
  }
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
  // The focused control and its containers get the key first (the tab strip
  // takes Ctrl+Tab, a button Enter).
  for (HWND window = ::GetFocus(); window && window != handle_; window = ::GetParent(window)) {
    TControl* control = TControl::FromHandle(window);
    if (control && control->OnDialogKey(key)) return true;
  }
  if (key == VK_TAB && !Pressed(VK_CONTROL) && !Pressed(VK_MENU)) FocusNext(!Pressed(VK_SHIFT));
  // Enter and Escape have no default or cancel button to go to: swallowed, so
  // neither reaches a control as a character either.
  return true;
}

bool HandleFormKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  TForm* form = TForm::FromWindow(message.hwnd);
  return form && form->HandleDialogKey(message);
}

}  // namespace toolkit
