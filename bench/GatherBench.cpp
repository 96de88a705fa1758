// gather_bench: the dialog's activation pass against its platform floor, in
// one run, each side in turn.
//
//   gather_bench [ROUNDS]
//
// "ours" is TSysInfoDlg::FormActivate on a freshly built (hidden) dialog, as
// each showing runs it once: registry reader, formatting and the label
// writes. "bare" makes the platform calls the pass makes, in the same order,
// keeps the raw results, then writes the texts the pass changes onto the
// static controls of a fresh bare dialog (bench/BareDialog) with
// SetWindowTextA, resizing an auto-sized label when its text's box changes,
// as such a label must. "calls" is the bare pass without the label writes,
// the floor this benchmark had before. A last figure times our label writes
// alone (the texts a pass writes, set on another fresh dialog).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BareDialog.h"
#include "BarePass.h"
#include "Measure.h"
#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "shared/Scoped.h"
#include "tests/ApplicationScope.h"

namespace {

// A label's text after a pass, by control id; `changed` when the pass
// changed it on a fresh dialog (the writes the bare side makes).
struct LabelWrite {
  int id;
  std::string text;
  bool changed;
  bool autoSized;
  bool wordWrap;
};

// A label's text as the library reads its own windows back.
std::string ShownText(const toolkit::TControl* label) {
  return toolkit::NarrowToAnsi(toolkit::WindowTextW(label->Handle()));
}

// Every label's text after one pass, against a fresh dialog's.
std::vector<LabelWrite> PassTexts() {
  dialog::TSysInfoDlg done, fresh;
  done.FormActivate();
  std::vector<LabelWrite> writes;
  for (const dialog::ControlLayout& row : dialog::kSysDlgLayout) {
    if (row.kind != dialog::ControlKind::Label) continue;
    const std::string text = ShownText(done.Control(row.id));
    writes.push_back({row.id, text, text != ShownText(fresh.Control(row.id)),
                      !(row.flags & dialog::kFixedSize), (row.flags & dialog::kWordWrap) != 0});
  }
  return writes;
}

// The writes straight on the bare dialog's statics: the text, then the box
// fitted to it where the label sizes itself and the box changed.
void BareWrites(const bench::BareDialog& bare, HDC measuring, const std::vector<LabelWrite>& writes) {
  shared::ScopedSelect font(measuring, bare.Font());
  for (const LabelWrite& write : writes) {
    if (!write.changed) continue;
    const HWND label = bare.Window(write.id);
    SetWindowTextA(label, write.text.c_str());
    if (!write.autoSized) continue;
    RECT client;
    GetClientRect(label, &client);
    RECT box{0, 0, write.wordWrap ? client.right : 0, 0};
    const char* text = write.text.empty() ? " " : write.text.c_str();
    DrawTextA(measuring, text, -1, &box,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (write.wordWrap ? DT_WORDBREAK : 0));
    if (box.right == client.right && box.bottom == client.bottom) continue;
    SetWindowPos(label, nullptr, 0, 0, box.right, box.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DEFERERASE);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const ApplicationScope application;
  const std::vector<LabelWrite> writes = PassTexts();
  const shared::ScopedDC measuring(CreateCompatibleDC(nullptr));
  // Each side on a dialog of its own, built outside the time.
  const auto ours = [] {
    dialog::TSysInfoDlg dlg;
    return bench::Time([&] { dlg.FormActivate(); });
  };
  const auto bare = [&] {
    const bench::BareDialog dlg(nullptr);
    return bench::Time([&] {
      bench::BarePass();
      BareWrites(dlg, measuring.Get(), writes);
    });
  };
  const auto oursWrites = [&] {
    dialog::TSysInfoDlg dlg;
    std::vector<std::pair<toolkit::TLabel*, const char*>> labels;
    for (const LabelWrite& write : writes)
      labels.emplace_back(static_cast<toolkit::TLabel*>(dlg.Control(write.id)), write.text.c_str());
    return bench::Time([&] {
      for (const auto& [label, text] : labels) label->SetText(text);
    });
  };
  const auto times =
      bench::TimeSides(10, rounds, {ours, bare, [] { return bench::Time(bench::BarePass); }, oursWrites});
  std::printf(
      "Activation pass, %d rounds after 10 warm-up rounds, each side in turn; %d label writes per pass\n",
      rounds, static_cast<int>(std::ranges::count(writes, true, &LabelWrite::changed)));
  bench::PrintHeading();
  bench::PrintPair("activation pass (gathering)", times[0], times[1], 1.15,
                   "same registry and system calls and label writes, bare dialog");
  bench::PrintPair("  the same, against the calls alone", times[0], times[2], 0,
                   "same registry and system calls, no label writes");
  bench::PrintRow("  of it: the label writes alone", times[3]);
  return 0;
}
