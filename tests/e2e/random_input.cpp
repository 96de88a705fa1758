// random_input: seeded random keyboard and mouse input over the real dialog,
// as a user who does anything would give it. Each round runs the library's
// Execute entry over a host window on the main thread while a second thread
// sends a burst of input through the system's input queue (SendInput), then
// brings the dialog back in front, leaves any menu with Esc and ends the
// dialog with OK or the close box (in turn). The entry must return 0 each
// time, and windows, kernel handles and GDI objects must not go on growing
// over the second half of the rounds. A warm-up round and the menu-key
// shape (a key with Alt, a letter, a right click, two left clicks) come
// first.
//
// A click the burst left on the desktop is handled by another process
// (Wine's explorer), which may take the foreground late, even between OK's
// press and its release; a button drops a press when it loses the focus. So
// a click that did not end the dialog while the dialog left the front is
// made again once it is back; only one made with the dialog in front all
// along counts as a failure.
//
//   random_input [LIB] [--seed N] [--rounds N] [--events N] [--bare]
//                [--sweep] [--only ROUND] [--verbose] [--stall]
//
// --bare runs the same input over the same dialog written directly against
// Win32 (bench/BareDialog), to tell the system's behaviour from the library's;
// --sweep gives the menu-key shape every way instead of random bursts. A
// failing round prints its seed, its number and its events; --only replays it.
// --stall lets a program on the other end of the standard streams stop the
// desktop's process for each round and start it again between the first
// press of OK (or the close box) and its release: before the burst the
// driver prints "stall PID" (the desktop's process id) and, after the press,
// "resume", each time reading a line back once that is done
// (tests/e2e/stall_desktop.py).
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/BareDialog.h"
#include "host/OwnerWindow.h"
#include "host/PlugInLibrary.h"
#include "host/ProcessCounters.h"
#include "host/WindowRead.h"
#include "shared/Scoped.h"

namespace {

constexpr DWORD kSettleMs = 250;     // for the input before a marker to be taken
constexpr DWORD kEndMs = 3000;       // for the entry to return after OK or the close box
constexpr int kSettleTries = 20;     // for the dialog's thread to take what the burst left
constexpr int kEndTries = 10;        // clicks on OK or the close box, each after the dialog left the front
constexpr WORD kMarkerKey = VK_F24;  // taken out of the queue by the hook, never seen by a window

struct Combo {
  const char* name;
  WORD keys[3];  // modifiers first; 0 ends
};

const Combo kCombos[] = {
    {"Alt+Space", {VK_MENU, VK_SPACE}},
    {"Alt", {VK_MENU}},
    {"F10", {VK_F10}},
    {"Shift+F10", {VK_SHIFT, VK_F10}},
    {"Apps", {VK_APPS}},
    {"Alt+C", {VK_MENU, 'C'}},
    {"Alt+M", {VK_MENU, 'M'}},
    {"Alt+S", {VK_MENU, 'S'}},
    {"Alt+X", {VK_MENU, 'X'}},
    {"Alt+W", {VK_MENU, 'W'}},
    {"Alt+Down", {VK_MENU, VK_DOWN}},
    {"M", {'M'}},
    {"S", {'S'}},
    {"N", {'N'}},
    {"X", {'X'}},
    {"Tab", {VK_TAB}},
    {"Shift+Tab", {VK_SHIFT, VK_TAB}},
    {"Ctrl+Tab", {VK_CONTROL, VK_TAB}},
    {"Ctrl+Shift+Tab", {VK_CONTROL, VK_SHIFT, VK_TAB}},
    {"Left", {VK_LEFT}},
    {"Right", {VK_RIGHT}},
    {"Up", {VK_UP}},
    {"Down", {VK_DOWN}},
    {"Enter", {VK_RETURN}},
    {"Esc", {VK_ESCAPE}},
    {"F1", {VK_F1}},
    {"Ctrl+C", {VK_CONTROL, 'C'}},
    {"Space", {VK_SPACE}},
};
constexpr int kComboCount = sizeof kCombos / sizeof *kCombos;

enum Act { kKey, kClick, kRightClick, kDoubleClick, kDrag, kRightDrag, kActCount };
const char* const kActNames[] = {"key", "click", "right click", "double click", "drag", "right drag"};
enum Spot { kControl, kTab, kOk, kTitle, kCloseBox, kFrame, kOwner, kDesktop, kSpotCount };
const char* const kSpotNames[] = {"control",   "tab",   "OK",          "title bar",
                                  "close box", "frame", "host window", "desktop"};

struct Place {
  Spot spot;
  int index;  // which control or tab, taken modulo those shown
};

struct Event {
  Act act;
  int combo;
  Place from, to;
};

std::string Describe(const Event& event) {
  if (event.act == kKey) return kCombos[event.combo].name;
  auto place = [](const Place& p) {
    return std::string(kSpotNames[p.spot]) + (p.spot <= kTab ? " " + std::to_string(p.index) : "");
  };
  std::string text = std::string(kActNames[event.act]) + " " + place(event.from);
  if (event.act == kDrag || event.act == kRightDrag) text += " to " + place(event.to);
  return text;
}

// Keys count for half: menus are entered from the keyboard.
std::vector<Event> RandomBurst(std::mt19937& random, int count) {
  std::vector<Event> burst;
  for (int i = 0; i < count; ++i) {
    Event event{};
    event.act = random() % 2 ? kKey : static_cast<Act>(1 + random() % (kActCount - 1));
    event.combo = static_cast<int>(random() % kComboCount);
    event.from = {static_cast<Spot>(random() % kSpotCount), static_cast<int>(random() % 64)};
    event.to = {static_cast<Spot>(random() % kSpotCount), static_cast<int>(random() % 64)};
    burst.push_back(event);
  }
  return burst;
}

int Key(const char* name) {
  for (int i = 0; i < kComboCount; ++i)
    if (std::strcmp(kCombos[i].name, name) == 0) return i;
  std::abort();
}

Event KeyEvent(const char* name) { return {kKey, Key(name), {}, {}}; }

// Every menu, box and page once; ended with OK.
const std::vector<Event> kWarmUp = {KeyEvent("Alt+Space"),
                                    KeyEvent("Up"),
                                    KeyEvent("Enter"),
                                    KeyEvent("Esc"),
                                    {kRightClick, 0, {kTitle, 0}, {}},
                                    KeyEvent("Esc"),
                                    {kClick, 0, {kTab, 1}, {}},
                                    KeyEvent("Ctrl+Tab"),
                                    KeyEvent("Ctrl+C"),
                                    KeyEvent("F1"),
                                    KeyEvent("F10"),
                                    KeyEvent("Esc")};

// The menu-key shape, every way: a key with Alt, a letter, a right click,
// two left clicks.
std::vector<std::vector<Event>> Sweep() {
  const char* alts[] = {"Alt+Space", "Alt+M", "Alt", "F10", "Alt+S"};
  const char* letters[] = {"M", "S", "X", "N"};
  const Place rights[] = {{kTab, 0}, {kTitle, 0}, {kControl, 5}, {kOk, 0}, {kCloseBox, 0}};
  const Place lefts[][2] = {{{kTab, 1}, {kTab, 2}}, {{kOk, 0}, {kOk, 0}},      {{kTitle, 0}, {kTitle, 0}},
                            {{kTab, 1}, {kOk, 0}},  {{kControl, 5}, {kOk, 0}}, {{kCloseBox, 0}, {kOk, 0}}};
  std::vector<std::vector<Event>> all;
  for (const char* alt : alts)
    for (const char* letter : letters)
      for (const Place& right : rights)
        for (const auto& left : lefts)
          all.push_back({KeyEvent(alt),
                         KeyEvent(letter),
                         {kRightClick, 0, right, {}},
                         {kClick, 0, left[0], {}},
                         {kClick, 0, left[1], {}}});
  return all;
}

//--- input

HANDLE g_marker = nullptr;
bool g_verbose = false;
bool g_stall = false;

MSG g_recent[16];
unsigned g_recentCount = 0;

// Counts the presses and releases of the left button that the dialog's
// thread took while another program's window was the foreground.
std::atomic<long> g_outOfFront{0};
HANDLE g_leftFront = nullptr;  // set when the thread loses the activation (--stall only)

bool InFront(DWORD threadId) {
  return ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr) == threadId;
}

LRESULT CALLBACK FrontHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == WM_ACTIVATEAPP && !sent->wParam) ::SetEvent(g_leftFront);
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MarkerHook(int code, WPARAM removing, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removing == PM_REMOVE && message->message != WM_TIMER &&
      message->wParam != kMarkerKey)
    g_recent[g_recentCount++ % 16] = *message;
  if (code == HC_ACTION && removing == PM_REMOVE &&
      (message->message == WM_LBUTTONDOWN || message->message == WM_LBUTTONUP ||
       message->message == WM_NCLBUTTONDOWN || message->message == WM_NCLBUTTONUP) &&
      !InFront(::GetCurrentThreadId()))
    ++g_outOfFront;
  if (code == HC_ACTION && removing == PM_REMOVE && message->wParam == kMarkerKey &&
      (message->message == WM_KEYUP || message->message == WM_KEYDOWN)) {
    if (message->message == WM_KEYUP) ::SetEvent(g_marker);
    message->message = WM_NULL;
  }
  return ::CallNextHookEx(nullptr, code, removing, lParam);
}

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  const bool extended = (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_APPS;
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// Each with its absolute position: a position set apart (SetCursorPos) can
// be overtaken by Wine's late echo of an earlier pointer warp.
INPUT MouseInput(POINT at, DWORD buttons) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (at.x * 65536 + width - 1) / width;
  input.mi.dy = (at.y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  return input;
}

void Send(std::vector<INPUT> inputs) {
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Waits until the input sent so far has been taken from the queue by
// whatever loop runs on the dialog's thread; false when no loop took it
// (one that reads only the mouse, say).
bool Settle() {
  ::ResetEvent(g_marker);
  Send({KeyInput(kMarkerKey, false), KeyInput(kMarkerKey, true)});
  return ::WaitForSingleObject(g_marker, kSettleMs) == WAIT_OBJECT_0;
}

// Keys go to the foreground thread: the marker is taken only once the
// dialog's thread is in front again and done with what came before. A press
// whose release went to another program (the desktop's, in front by then)
// leaves that thread with the capture, in a loop that reads only the mouse
// until the release: the user then lets go of the buttons over the dialog's
// bare corner, where a release starts nothing.
bool SettleInFront(HWND dialog) {
  for (int i = 0; i < kSettleTries; ++i) {
    ::SetForegroundWindow(::GetLastActivePopup(dialog));
    if (Settle()) return true;
    if (host::GuiThreadOf(::GetWindowThreadProcessId(dialog, nullptr)).hwndCapture) {
      RECT outer{};
      ::GetWindowRect(dialog, &outer);
      const int inset = ::GetSystemMetrics(SM_CXFIXEDFRAME) + 3;
      Send(
          {MouseInput({outer.left + inset, outer.bottom - inset}, MOUSEEVENTF_LEFTUP | MOUSEEVENTF_RIGHTUP)});
    }
  }
  return false;
}

void PressCombo(const Combo& combo) {
  std::vector<INPUT> inputs;
  int count = 0;
  while (count < 3 && combo.keys[count]) inputs.push_back(KeyInput(combo.keys[count++], false));
  while (count > 0) inputs.push_back(KeyInput(combo.keys[--count], true));
  Send(inputs);
}

//--- the dialog seen from the input thread

struct Target {
  HWND dialog = nullptr;
  HWND owner = nullptr;
  DWORD threadId = 0;
  HANDLE returned = nullptr;  // set by the main thread when the entry returns
};

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

POINT CloseBox(HWND dialog) {
  RECT outer{};
  ::GetWindowRect(dialog, &outer);
  const int y = outer.top + ::GetSystemMetrics(SM_CYFIXEDFRAME) + ::GetSystemMetrics(SM_CYSIZE) / 2;
  for (int x = outer.right - 1; x > outer.left; --x) {
    DWORD_PTR hit = 0;
    ::SendMessageTimeoutW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kSettleMs, &hit);
    if (hit == HTCLOSE) return {x - 4, y};
  }
  return {outer.right - 8, y};
}

HWND PushButtonOf(HWND dialog) {
  for (HWND window : host::Descendants(dialog))
    if (host::IsPushButton(window)) return window;
  return nullptr;
}

POINT PointOf(const Target& target, const Place& place) {
  RECT outer{};
  ::GetWindowRect(target.dialog, &outer);
  switch (place.spot) {
    case kControl: {
      std::vector<HWND> shown;
      for (HWND window : host::Descendants(target.dialog))
        if (::IsWindowVisible(window)) shown.push_back(window);
      if (shown.empty()) break;
      RECT rect{};
      ::GetWindowRect(shown[static_cast<size_t>(place.index) % shown.size()], &rect);
      return Centre(rect);
    }
    case kTab: {
      const HWND tabs = host::FindByClass(target.dialog, WC_TABCONTROLW);
      const std::vector<host::TabItem> items = tabs ? host::TabItems(tabs) : std::vector<host::TabItem>{};
      if (items.empty()) break;
      POINT at = Centre(items[static_cast<size_t>(place.index) % items.size()].rect);
      ::ClientToScreen(tabs, &at);
      return at;
    }
    case kTitle:
      return {(outer.left + outer.right) / 2, outer.top + ::GetSystemMetrics(SM_CYSIZE) / 2 + 2};
    case kCloseBox:
      return CloseBox(target.dialog);
    case kFrame:
      return {outer.left + 1, (outer.top + outer.bottom) / 2};
    case kOk:
      if (const HWND ok = PushButtonOf(target.dialog)) {
        RECT rect{};
        ::GetWindowRect(ok, &rect);
        return Centre(rect);
      }
      break;
    case kOwner: {
      RECT rect{};
      ::GetWindowRect(target.owner, &rect);
      return Centre(rect);
    }
    case kDesktop:
    case kSpotCount:
      break;
  }
  return {::GetSystemMetrics(SM_CXSCREEN) - 5, ::GetSystemMetrics(SM_CYSCREEN) - 5};
}

POINT g_lastDown{};
DWORD g_lastDownAt = 0;

void Press(POINT at, DWORD down, DWORD up, int times = 1) {
  std::vector<INPUT> inputs;
  for (int i = 0; i < times; ++i) {
    inputs.push_back(MouseInput(at, down));
    if (up) inputs.push_back(MouseInput(at, up));
  }
  Send(inputs);
  // Once queued: the press carries the time the system queued it, later
  // than the call on a busy machine.
  g_lastDown = at;
  g_lastDownAt = ::GetTickCount();
}

// A click near the last one within the double-click time would be the
// second of a double click, which the close box, for one, ignores.
void AwaitNewClick(POINT at) {
  const DWORD since = ::GetTickCount() - g_lastDownAt;
  if (std::abs(at.x - g_lastDown.x) <= ::GetSystemMetrics(SM_CXDOUBLECLK) &&
      std::abs(at.y - g_lastDown.y) <= ::GetSystemMetrics(SM_CYDOUBLECLK) && since <= ::GetDoubleClickTime())
    ::Sleep(::GetDoubleClickTime() - since + 1);
}

void Play(const Target& target, const Event& event) {
  if (event.act == kKey) {
    PressCombo(kCombos[event.combo]);
    return;
  }
  const bool right = event.act == kRightClick || event.act == kRightDrag;
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  const POINT from = PointOf(target, event.from);
  if (event.act == kDrag || event.act == kRightDrag) {
    Press(from, down, 0);
    Settle();
    const POINT to = PointOf(target, event.to);
    Send({MouseInput(to, 0), MouseInput(to, up)});
  } else {
    Press(from, down, up, event.act == kDoubleClick ? 2 : 1);
  }
}

bool Ended(const Target& target) { return ::WaitForSingleObject(target.returned, kEndMs) == WAIT_OBJECT_0; }

// A line to the program on the other end of the standard streams (--stall),
// and its answer once it has done what the line asks.
void AskStall(const std::string& line) {
  std::printf("%s\n", line.c_str());
  char answer[16];
  if (!std::fgets(answer, sizeof answer, stdin)) g_stall = false;
}

void ClickAt(POINT at, bool stalled = false) {
  AwaitNewClick(at);
  if (!stalled) {
    Press(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    return;
  }
  // The desktop's process goes on between the press and the release, and
  // takes the foreground then, as it does when late.
  ::ResetEvent(g_leftFront);
  Press(at, MOUSEEVENTF_LEFTDOWN, 0);
  Settle();
  AskStall("resume");
  ::WaitForSingleObject(g_leftFront, kEndMs);
  Send({MouseInput(at, MOUSEEVENTF_LEFTUP)});
}

// Where a drag left it partly off the screen, back where it came up, as a
// user would drag it back before reaching for OK.
void BackOnScreen(HWND dialog) {
  RECT outer{};
  ::GetWindowRect(dialog, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  if (outer.left >= 0 && outer.top >= 0 && outer.right <= screenWidth && outer.bottom <= screenHeight) return;
  ::SetWindowPos(dialog, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string ThreadState(DWORD threadId) {
  const GUITHREADINFO gui = host::GuiThreadOf(threadId);
  char text[200];
  std::snprintf(text, sizeof text, "flags 0x%lx%s%s, capture %s \"%s\", focus %s", gui.flags,
                gui.flags & GUI_INMENUMODE ? " (menu mode)" : "",
                gui.flags & GUI_INMOVESIZE ? " (move/size)" : "",
                gui.hwndCapture ? host::ClassOf(gui.hwndCapture).c_str() : "none",
                gui.hwndCapture ? host::Utf8(host::TextOf(gui.hwndCapture)).c_str() : "",
                gui.hwndFocus ? host::ClassOf(gui.hwndFocus).c_str() : "none");
  std::string state = text;
  for (HWND window : host::ThreadWindows(threadId))
    if (::IsWindowVisible(window))
      state += "; window " + host::ClassOf(window) + " \"" + host::Utf8(host::TextOf(window)) + "\"";
  return state;
}

void PrintFailure(const std::string& round, const std::string& failure, const std::vector<Event>& burst) {
  std::printf("FAIL %s: %s\n     events:", round.c_str(), failure.c_str());
  for (const Event& event : burst) std::printf(" [%s]", Describe(event).c_str());
  std::printf("\n");
  std::fflush(stdout);
}

// The entry never returns: nothing more can run in this process.
[[noreturn]] void Abandon(const std::string& round, const std::string& failure,
                          const std::vector<Event>& burst) {
  PrintFailure(round, failure, burst);
  ::TerminateProcess(::GetCurrentProcess(), 1);
  for (;;) ::Sleep(INFINITE);
}

// Runs the burst, then ends the dialog; the failure, or empty.
std::string Drive(Target& target, const std::vector<Event>& burst, bool byCloseBox,
                  const std::string& round) {
  const DWORD start = ::GetTickCount();
  while (!(target.dialog = host::NewWindowOf(target.threadId, {target.owner}))) {
    if (::WaitForSingleObject(target.returned, 10) == WAIT_OBJECT_0)
      return "the entry returned without a dialog";
    if (::GetTickCount() - start > 10000) Abandon(round, "no dialog within 10 s", burst);
  }
  // Shown while another program is in front (the desktop clicked last
  // round), it is not activated; the user clicks it first.
  ::SetForegroundWindow(target.dialog);
  Settle();
  if (g_stall) {
    DWORD desktopProcess = 0;
    ::GetWindowThreadProcessId(::GetDesktopWindow(), &desktopProcess);
    AskStall("stall " + std::to_string(desktopProcess));
  }
  std::string untaken;  // events whose input the dialog's thread had not taken when the next came
  for (const Event& event : burst) {
    if (!::IsWindowVisible(target.dialog)) break;  // ended by the burst itself (Alt+Space, C)
    Play(target, event);
    const bool settled = Settle();
    if (!settled) untaken += " [" + Describe(event) + "]";
    if (g_verbose)
      std::printf("     %-40s %s %s\n", Describe(event).c_str(), settled ? "taken" : "not taken",
                  ThreadState(target.threadId).c_str());
  }
  if (!untaken.empty()) untaken = "; input not taken before the next event:" + untaken;
  if (!::IsWindowVisible(target.dialog)) {
    if (g_stall) AskStall("resume");
    if (!Ended(target)) Abandon(round, "the dialog hid but the entry did not return", burst);
    return {};
  }
  // Back in front, as a user would click it after clicking the desktop; then
  // Esc out of a submenu, its menu and a box the system menu opened (Wine's
  // own "About Wine"). Again each time another program took the front
  // before the click was done.
  BackOnScreen(target.dialog);
  const char* const what = byCloseBox ? "the close box" : "OK";
  std::string failure;
  for (int attempt = 1; failure.empty(); ++attempt) {
    ::SetForegroundWindow(::GetLastActivePopup(target.dialog));
    for (int i = 0; i < 3; ++i) PressCombo(kCombos[Key("Esc")]);
    if (!SettleInFront(target.dialog)) {
      failure = std::string("the dialog's thread took no input before ") + what + "; ";
      break;
    }
    const long outOfFront = g_outOfFront;
    const HWND ok = PushButtonOf(target.dialog);
    RECT okRect{};
    if (ok) ::GetWindowRect(ok, &okRect);
    ClickAt(byCloseBox || !ok ? CloseBox(target.dialog) : Centre(okRect), g_stall && attempt == 1);
    if (Ended(target)) {
      if (g_verbose && attempt > 1) std::printf("     %s ended it at attempt %d\n", what, attempt);
      return {};
    }
    if (g_outOfFront == outOfFront && InFront(target.threadId)) {
      failure = std::string(what) + " did not end the dialog, which stayed in front; ";
    } else if (attempt == kEndTries) {
      failure = std::string(what) + " did not end the dialog, which left the front each of " +
                std::to_string(kEndTries) + " times; ";
    }
  }
  failure += ThreadState(target.threadId) + untaken;
  for (unsigned i = g_recentCount > 16 ? g_recentCount - 16 : 0; i < g_recentCount; ++i) {
    const MSG& m = g_recent[i % 16];
    char line[120];
    std::snprintf(line, sizeof line, "\n       msg 0x%04x to %s w 0x%x", m.message,
                  host::ClassOf(m.hwnd).c_str(), static_cast<unsigned>(m.wParam));
    failure += line;
  }
  ::PostMessageW(target.dialog, WM_NULL, 0, 0);
  if (Ended(target)) return failure + "; a posted WM_NULL then did";
  ClickAt(CloseBox(target.dialog));  // the other way, once more
  if (Ended(target)) return failure + "; the close box then did";
  Abandon(round, failure + "; nothing ends it", burst);
}

//--- rounds on the main thread

struct Run {
  const char* library = nullptr;
  unsigned seed = 1;
  int rounds = 40;
  int events = 10;
  bool bare = false;
  int only = -1;  // replays this round alone
  bool sweep = false;
};

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A burst that outlives the dialog must not close the host window.
  if (message == WM_CLOSE) return 0;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

int Main(const Run& run) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // a round that never ends still shows what came before
  host::PlugInLibrary library;
  host::PlugInEntries entries;
  std::string error;
  if (!run.bare && (!library.Load(run.library, &error) || !library.Describe(&entries, &error))) {
    std::printf("FAIL %s\n", error.c_str());
    return 1;
  }
  const host::OwnerWindow owner(
      L"Random input host", OwnerProcedure,
      {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {0, 0, 240, 120}, COLOR_BTNFACE});
  ::SetForegroundWindow(owner.Handle());
  const shared::ScopedHandle marker(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const shared::ScopedHandle leftFront(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  g_marker = marker.Get();
  g_leftFront = leftFront.Get();
  // Every hook costs Wine a server request per message it sees: the one on
  // sent messages only where --stall waits for the activation to go.
  shared::ScopedHook hooks[] = {
      shared::ScopedHook(::SetWindowsHookExW(WH_GETMESSAGE, MarkerHook, nullptr, ::GetCurrentThreadId())),
      shared::ScopedHook(g_stall
                             ? ::SetWindowsHookExW(WH_CALLWNDPROC, FrontHook, nullptr, ::GetCurrentThreadId())
                             : nullptr)};
  std::printf("seed %u, %d rounds of %d events%s (after a warm-up and the menu-key shape)\n", run.seed,
              run.rounds, run.events, run.bare ? ", bare Win32 dialog" : "");
  // The warm-up, the menu-key shape once for each key with Alt, then the
  // random bursts (or the menu-key shape every way).
  std::vector<std::vector<Event>> plan = {kWarmUp};
  const std::vector<std::vector<Event>> sweep = Sweep();
  for (size_t i = 3; i < sweep.size(); i += sweep.size() / 5) plan.push_back(sweep[i]);
  std::mt19937 random(run.seed);
  for (int i = 0; i < run.rounds; ++i)
    plan.push_back(run.sweep ? sweep[i % sweep.size()] : RandomBurst(random, run.events));
  int failures = 0;
  host::ProcessCounters half{}, threeQuarters{};
  const DWORD start = ::GetTickCount();
  for (int round = 0; round < static_cast<int>(plan.size()); ++round) {
    const std::vector<Event>& burst = plan[static_cast<size_t>(round)];
    if (run.only >= 0 && round != run.only) continue;
    // Input the last dialog left unread is not for this one.
    MSG stale;
    while (::PeekMessageW(&stale, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           ::PeekMessageW(&stale, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    Target target{nullptr, owner.Handle(), ::GetCurrentThreadId(),
                  ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::string failure;
    const std::string name = "seed " + std::to_string(run.seed) + " round " + std::to_string(round);
    std::thread driver([&] { failure = Drive(target, burst, round % 2 == 1, name); });
    uint32_t result = 0;
    if (run.bare) {
      bench::BareDialog bare(owner.Handle());
      bare.ShowModal([] {}, [](const MSG&) {});
    } else {
      result = host::PlugInLibrary::Entry(entries.execute, owner.Handle()).value;
    }
    ::SetEvent(target.returned);
    driver.join();
    ::CloseHandle(target.returned);
    if (result != 0) failure += "; the entry returned " + std::to_string(result);
    if (!failure.empty()) {
      ++failures;
      PrintFailure(name, failure, burst);
    }
    if (g_verbose) {
      const host::ProcessCounters now = host::SampleCounters();
      std::printf("     round %d: windows %ld, kernel handles %ld, GDI objects %ld\n", round, now.allWindows,
                  now.kernelHandles, now.gdiObjects);
    }
    // At the half and at three quarters: the system makes some objects on
    // first use and keeps them (caches, the About box's), which shows as one
    // step; a leak goes on growing.
    const int size = static_cast<int>(plan.size());
    if (round == size / 2) half = host::SampleCounters();
    if (round == size * 3 / 4) threeQuarters = host::SampleCounters();
  }
  const host::ProcessCounters last = host::SampleCounters();
  for (shared::ScopedHook& hook : hooks) hook.Reset();
  std::printf(
      "windows %ld, %ld, %ld; kernel handles %ld, %ld, %ld; GDI objects %ld, %ld, %ld "
      "(at the half, three quarters, the end)\n",
      half.allWindows, threeQuarters.allWindows, last.allWindows, half.kernelHandles,
      threeQuarters.kernelHandles, last.kernelHandles, half.gdiObjects, threeQuarters.gdiObjects,
      last.gdiObjects);
  auto grows = [&](long host::ProcessCounters::*count) {
    return threeQuarters.*count > half.*count && last.*count > threeQuarters.*count;
  };
  if (run.only < 0 &&
      (grows(&host::ProcessCounters::allWindows) || grows(&host::ProcessCounters::kernelHandles) ||
       grows(&host::ProcessCounters::gdiObjects))) {
    std::printf("FAIL windows, handles or GDI objects went on growing\n");
    ++failures;
  }
  std::printf("%s: %d of %d rounds failed, %.1f s\n", failures ? "FAIL" : "PASS", failures,
              static_cast<int>(plan.size()), (::GetTickCount() - start) / 1000.0);
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Run run;
  for (int i = 1; i < argc; ++i) {
    const bool value = i + 1 < argc;
    if (std::strcmp(argv[i], "--seed") == 0 && value) {
      run.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 0));
    } else if (std::strcmp(argv[i], "--rounds") == 0 && value) {
      run.rounds = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--events") == 0 && value) {
      run.events = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--only") == 0 && value) {
      run.only = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--verbose") == 0) {
      g_verbose = true;
    } else if (std::strcmp(argv[i], "--sweep") == 0) {
      run.sweep = true;
    } else if (std::strcmp(argv[i], "--bare") == 0) {
      run.bare = true;
    } else if (std::strcmp(argv[i], "--stall") == 0) {
      g_stall = true;
    } else if (argv[i][0] != '-' && !run.library) {
      run.library = argv[i];
    } else {
      std::fprintf(
          stderr,
          "usage: random_input [LIB] [--seed N] [--rounds N] [--events N] [--bare] [--sweep] [--only N] "
          "[--verbose] [--stall]\n");
      return 2;
    }
  }
  if (!run.library) run.library = "zentrix.pdl";
  return Main(run);
}
