#include "bench/Habits.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

#include "bench/BareDialog.h"
#include "bench/Measure.h"
#include "dialog/SysDlg.h"
#include "shared/LangTable.h"
#include "toolkit/ActCtx.h"
#include "toolkit/Application.h"
#include "toolkit/Font.h"
#include "toolkit/Form.h"
#include "toolkit/Text.h"
#include "toolkit/WindowClass.h"

namespace bench {

namespace {

using dialog::ControlKind;

constexpr int kWarmupRounds = 2;
constexpr int kMessageProbes = 200;
constexpr wchar_t kScratchProperty[] = L"ZxBench.Scratch";
constexpr wchar_t kScratchFormClass[] = L"ZxBench.Scratch.Form";
constexpr wchar_t kScratchPageClass[] = L"ZxBench.Scratch.Page";

enum Habit {
  kLabelDc,
  kLabelMeasure,
  kLabelResize,
  kActCtx,
  kSetProp,
  kParentFont,
  kFormFont,
  kPlainFont,
  kRegisterClasses,
  kCommonControls,
  kPageLayout,
  kCaptions,
  kTabStops,
  kCentre,
  kOneByOne,
  kWhole,
  kRemoveProp,
  kUnregisterClasses,
  kOursPageMessages,
  kBarePageMessages,
  kHabitCount
};

template <typename Work>
LONGLONG Time(Work&& work) {
  const LONGLONG start = Now();
  work();
  return Now() - start;
}

bool AutoSized(const dialog::ControlLayout& row) {
  return row.kind == ControlKind::Label && !(row.flags & dialog::kFixedSize);
}

// What TPageControl does to its pages while the dialog is built: a layout
// of every page so far after each page and each tab shown, and one more
// per tab whose text the creation event replaces.
void RelayoutLikeOurs(HWND tabs, const HWND (&pages)[std::size(dialog::kPageOrder)]) {
  const auto layout = [&](size_t count) {
    RECT display;
    ::GetClientRect(tabs, &display);
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (size_t i = 0; i < count; ++i) {
      ::SetWindowPos(pages[i], nullptr, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  int tab = 0;
  for (size_t i = 0; i < std::size(dialog::kPageOrder); ++i) {
    const bool tabVisible = !(dialog::kSysDlgLayout[dialog::kPageOrder[i] - 1].flags & dialog::kTabHidden);
    if (tabVisible) layout(i + 1);
    layout(i + 1);
  }
  for (size_t i = 0; i < std::size(dialog::kPageOrder); ++i) {
    if (dialog::kSysDlgLayout[dialog::kPageOrder[i] - 1].flags & dialog::kTabHidden) continue;
    wchar_t text[64] = {};
    ::GetWindowTextW(pages[i], text, 64);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    ::SendMessageW(tabs, TCM_SETITEMW, tab++, reinterpret_cast<LPARAM>(&item));
    layout(std::size(dialog::kPageOrder));
  }
}

int LayoutCalls() {
  int calls = 0, pages = 0, tabs = 0;
  for (dialog::ControlId page : dialog::kPageOrder) {
    ++pages;
    const bool tabVisible = !(dialog::kSysDlgLayout[page - 1].flags & dialog::kTabHidden);
    calls += pages * (tabVisible ? 2 : 1);
    tabs += tabVisible;
  }
  return calls + tabs * pages;
}

struct Round {
  std::vector<double> samples[kHabitCount];
  void Add(Habit habit, LONGLONG ticks) { samples[habit].push_back(Micros(ticks)); }
  double Median(Habit habit) const { return Summarise(samples[habit]).median; }
};

void TimeOnBareTree(HWND host, Round& r) {
  const BareTemplate& t = Template();
  auto scratch = std::make_unique<BareDialog>(host);
  const BareDialog& d = *scratch;
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(d.Window(dialog::id_Label1), WM_GETFONT, 0, 0));

  // Labels back at their stored size first, as ours creates them.
  std::vector<std::pair<HWND, SIZE>> labels;
  for (const BareItem& item : t.items) {
    const dialog::ControlLayout& row = dialog::kSysDlgLayout[item.id - 1];
    if (!AutoSized(row)) continue;
    const HWND label = d.Window(item.id);
    labels.push_back({label, {item.bounds.right - item.bounds.left, item.bounds.bottom - item.bounds.top}});
    ::SetWindowPos(label, nullptr, 0, 0, row.width, row.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  r.Add(kLabelDc, Time([&] {
          for (const auto& label : labels) ::ReleaseDC(label.first, ::GetDC(label.first));
        }));
  {
    toolkit::ScopedWindowDC dc(d.Handle());
    toolkit::ScopedSelect select(dc.Get(), font);
    r.Add(kLabelMeasure, Time([&] {
            for (const auto& label : labels) {
              const std::wstring text = toolkit::WindowTextW(label.first);
              RECT box{};
              ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                          DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
            }
          }));
  }
  r.Add(kLabelResize, Time([&] {
          for (const auto& label : labels) {
            ::SetWindowPos(label.first, nullptr, 0, 0, label.second.cx, label.second.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
          }
        }));

  // The message alone; what our page procedure adds is in its own row.
  r.Add(kParentFont, Time([&] {
          for (const BareItem& item : t.items) {
            ::SendMessageW(item.parentId ? d.Window(item.parentId) : d.Handle(), WM_GETFONT, 0, 0);
          }
        }));
  r.Add(kSetProp, Time([&] {
          for (const BareItem& item : t.items) ::SetPropW(d.Window(item.id), kScratchProperty, scratch.get());
        }));

  HWND pages[std::size(dialog::kPageOrder)];
  for (size_t i = 0; i < std::size(pages); ++i) {
    pages[i] = d.Window(dialog::kPageOrder[i]);
    ::SetWindowPos(pages[i], nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  r.Add(kPageLayout, Time([&] { RelayoutLikeOurs(d.Window(dialog::id_SysPageControl), pages); }));

  const std::pair<HWND, const char*> captions[] = {
      {d.Handle(), shared::sSysInfoCaption.c_str()},
      {d.Window(dialog::id_WinTabSheet), shared::sWinSheet.c_str()},
      {d.Window(dialog::id_lbWinTitle), shared::sWinTitle.c_str()},
      {d.Window(dialog::id_SysTabSheet), shared::sSysSheet.c_str()},
      {d.Window(dialog::id_lbSysTitle), shared::sSysTitle.c_str()},
      {d.Window(dialog::id_MemTabSheet), shared::sMemSheet.c_str()},
      {d.Window(dialog::id_lbMemTitle), shared::sMemTitle.c_str()},
      {d.Window(dialog::id_LibVerSheet), shared::sLibSheet.c_str()},
      {d.Window(dialog::id_lbSysLibTitle), shared::sLibTitle.c_str()},
  };
  r.Add(kCaptions, Time([&] {
          for (const auto& caption : captions) ::SetWindowTextA(caption.first, caption.second);
        }));

  r.Add(kTabStops, Time([&] { (void)toolkit::TabStops(d.Handle()); }));
  RECT bounds;
  ::GetWindowRect(d.Handle(), &bounds);
  r.Add(kCentre, Time([&] {
          ::SetWindowPos(d.Handle(), nullptr, bounds.left, bounds.top + 1, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }));

  r.Add(kBarePageMessages, Time([&] {
          for (int i = 0; i < kMessageProbes; ++i) ::SendMessageW(pages[0], WM_NULL, 0, 0);
        }));

  r.Add(kRemoveProp, Time([&] {
          for (const BareItem& item : t.items) {
            const HWND window = d.Window(item.id);
            if (::IsWindow(window) && ::GetPropW(window, kScratchProperty) == scratch.get()) {
              ::RemovePropW(window, kScratchProperty);
            }
          }
        }));

  // Ours destroys its controls last made first, pages and tab strip last,
  // then the form.
  r.Add(kOneByOne, Time([&] {
          for (auto item = t.items.rbegin(); item != t.items.rend(); ++item) {
            if (item->kind != ControlKind::PageControl && item->kind != ControlKind::TabSheet) {
              ::DestroyWindow(d.Window(item->id));
            }
          }
          for (auto page = std::rbegin(pages); page != std::rend(pages); ++page) ::DestroyWindow(*page);
          ::DestroyWindow(d.Window(dialog::id_SysPageControl));
          ::DestroyWindow(d.Handle());
        }));
  scratch.reset();
  Settle();

  auto whole = std::make_unique<BareDialog>(host);
  r.Add(kWhole, Time([&] { whole.reset(); }));
  Settle();
}

void TimeAlone(Round& r) {
  r.Add(kActCtx, Time([] {
          for (int i = 0; i < dialog::kControlCount + 1; ++i) toolkit::TActCtxScope context;
        }));
  r.Add(kFormFont, Time([] { (void)toolkit::CreateFormFont(); }));
  const BareTemplate& t = Template();
  r.Add(kPlainFont, Time([&] {
          toolkit::ScopedFont font(::CreateFontW(
              t.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, t.fontFace.c_str()));
        }));
  // The form registers its class, every page asks for the page class.
  r.Add(kRegisterClasses, Time([] {
          toolkit::RegisterToolkitClass(kScratchFormClass, ::DefWindowProcW);
          for (size_t i = 0; i < std::size(dialog::kPageOrder); ++i) {
            toolkit::RegisterToolkitClass(kScratchPageClass, ::DefWindowProcW);
          }
        }));
  r.Add(kUnregisterClasses, Time([] {
          toolkit::UnregisterToolkitClass(kScratchPageClass);
          toolkit::UnregisterToolkitClass(kScratchFormClass);
        }));
  r.Add(kCommonControls, Time([] {
          toolkit::TActCtxScope context;
          toolkit::InitCommonControlClasses();
        }));
}

void TimeOnOurTree(dialog::TSysInfoDlg& ours, Round& r) {
  const HWND page = ours.WinTabSheet->Handle();
  r.Add(kOursPageMessages, Time([&] {
          for (int i = 0; i < kMessageProbes; ++i) ::SendMessageW(page, WM_NULL, 0, 0);
        }));
}

std::string Text(const char* format, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

}  // namespace

std::vector<HabitCost> MeasureHabits(HWND host, int rounds, const PageMessages& pageMessages) {
  // One of ours, built once and never shown, for the page procedure.
  toolkit::Application->SetHandle(host);
  auto ours = std::make_unique<dialog::TSysInfoDlg>();
  toolkit::Application->SetHandle(nullptr);

  Round r;
  for (int round = 0; round < kWarmupRounds + rounds; ++round) {
    Round discard;
    Round& into = round < kWarmupRounds ? discard : r;
    TimeOnBareTree(host, into);
    TimeAlone(into);
    TimeOnOurTree(*ours, into);
  }
  ours.reset();
  Settle();

  int autoSized = 0;
  for (const dialog::ControlLayout& row : dialog::kSysDlgLayout) autoSized += AutoSized(row);
  const int n = dialog::kControlCount;
  const double perPageMessage = (r.Median(kOursPageMessages) - r.Median(kBarePageMessages)) / kMessageProbes;
  using P = Phase;
  std::vector<HabitCost> habits = {
      {P::Construction, "label auto-size: window DC per label",
       Text("%d labels x GetDC + ReleaseDC on the label", autoSized), r.Median(kLabelDc)},
      {P::Construction, "label auto-size: measuring the text",
       Text("%d labels x GetWindowText + DrawText(DT_CALCRECT), one DC", autoSized), r.Median(kLabelMeasure)},
      {P::Construction, "label auto-size: resizing after creation",
       Text("%d labels x SetWindowPos (size known only after creation)", autoSized), r.Median(kLabelResize)},
      {P::Construction, "page re-layout and tab texts",
       Text("%d page SetWindowPos + TCM_ADJUSTRECT per layout + 3 TCM_SETITEM", LayoutCalls()),
       r.Median(kPageLayout)},
      {P::Construction, "activation context per window",
       Text("%d x ActivateActCtx + DeactivateActCtx (context itself cached)", n + 1), r.Median(kActCtx)},
      {P::Construction, "window property per control", Text("%d x SetPropW", n), r.Median(kSetProp)},
      {P::Construction, "font asked from the parent",
       Text("%d x WM_GETFONT sent to the parent (the page procedure's share: below)", n),
       r.Median(kParentFont)},
      {P::Construction, "form font: face lookup",
       Text("CreateFormFont (EnumFontFamiliesEx, screen DCs) %.0f - plain CreateFont %.0f",
            r.Median(kFormFont), r.Median(kPlainFont)),
       r.Median(kFormFont) - r.Median(kPlainFont)},
      {P::Construction, "window classes registered per form",
       "form class registered, page class registered once and looked up 4 times", r.Median(kRegisterClasses)},
      {P::Construction, "common controls initialised per form", "InitCommonControlsEx inside the context",
       r.Median(kCommonControls)},
      {P::Construction, "captions replaced after creation", "9 x SetWindowTextA in the creation event",
       r.Median(kCaptions)},
      {P::Construction, "messages through the page procedure",
       Text("%ld messages x %.1f us (a GetPropW wineserver request each)", pageMessages.construction,
            perPageMessage),
       static_cast<double>(pageMessages.construction) * perPageMessage},
      {P::Showing, "tab stops collected on activation", "TabStops over the whole tree, once",
       r.Median(kTabStops)},
      {P::Showing, "form centred after creation", "1 x SetWindowPos", r.Median(kCentre)},
      {P::Showing, "messages through the page procedure",
       Text("%ld messages x %.1f us", pageMessages.showing, perPageMessage),
       static_cast<double>(pageMessages.showing) * perPageMessage},
      {P::Destruction, "controls destroyed one by one",
       Text("%d x DestroyWindow %.0f - one DestroyWindow of the form %.0f", n + 1, r.Median(kOneByOne),
            r.Median(kWhole)),
       r.Median(kOneByOne) - r.Median(kWhole)},
      {P::Destruction, "window property checked and removed",
       Text("%d x IsWindow + GetPropW + RemovePropW", n), r.Median(kRemoveProp)},
      {P::Destruction, "window classes unregistered per form", "2 x UnregisterClassW",
       r.Median(kUnregisterClasses)},
      {P::Destruction, "messages through the page procedure",
       Text("%ld messages x %.1f us (OK, close and destruction)", pageMessages.closing, perPageMessage),
       static_cast<double>(pageMessages.closing) * perPageMessage},
  };
  return habits;
}

}  // namespace bench
