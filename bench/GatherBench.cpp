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

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BareDialog.h"
#include "Measure.h"
#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "dialog/SysDlgReads.h"
#include "shared/Scoped.h"
#include "toolkit/Application.h"

namespace {

// Reads one value as the reader does: size first, then the data.
void QueryValue(HKEY key, const char* name, std::vector<BYTE>& data) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return;
  data.resize(size);
  RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
}

HKEY Open(const char* path) {
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
  return key;
}

// The pass's platform calls, back to back, with nothing shown. The registry
// values are the pass's own table's, read as the pass reads them.
void BarePass() {
  using dialog::kBiosNTReads, dialog::kProcessorReads, dialog::kWindowsReads, dialog::RegistryRead;
  std::vector<BYTE> data;
  HKEY processor = Open(kProcessorReads.front().key);
  for (const RegistryRead& read : kProcessorReads) QueryValue(processor, read.value, data);
  // The first Windows value decides which key the others come from.
  const RegistryRead& first = kWindowsReads.front();
  HKEY windows = Open(first.key);
  HKEY from = windows ? windows : processor;
  DWORD type = 0, size = 0;
  const bool productKey =
      from && RegQueryValueExA(from, first.value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      size > 0;
  if (productKey) QueryValue(from, first.value, data);
  HKEY nt = productKey ? nullptr : Open(kWindowsReads[1].key);
  for (const RegistryRead& read : kWindowsReads.subspan(1))
    QueryValue(productKey ? from : nt, read.value, data);
  for (HKEY key : {processor, windows, nt}) {
    if (key) RegCloseKey(key);
  }

  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (rtlGetVersion) rtlGetVersion(&version);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  char computer[16];
  DWORD computerSize = sizeof computer;
  GetComputerNameA(computer, &computerSize);
  DWORD userSize = 0;
  GetUserNameA(nullptr, &userSize);
  std::vector<char> user(userSize ? userSize : 1);
  GetUserNameA(user.data(), &userSize);

  if (!(GetVersion() & 0x80000000u)) {
    HKEY bios = Open(kBiosNTReads.front().key);
    std::vector<BYTE> buffer(dialog::kBiosBufferSize);
    for (const RegistryRead& read : kBiosNTReads) {
      DWORD valueSize = static_cast<DWORD>(buffer.size());
      if (bios) RegQueryValueExA(bios, read.value, nullptr, &type, buffer.data(), &valueSize);
    }
    if (bios) RegCloseKey(bios);
  }
}

// A label text the pass changes, by control id.
struct LabelWrite {
  int id;
  std::string text;
  bool autoSized;
  bool wordWrap;
};

// A label's text as the library reads its own windows back.
std::string ShownText(const toolkit::TLabel& label) {
  return toolkit::NarrowToAnsi(toolkit::WindowTextW(label.Handle()));
}

// What the pass changes on a fresh dialog: the labels whose text differs after it.
std::vector<LabelWrite> PassWrites(dialog::TSysInfoDlg& done, dialog::TSysInfoDlg& fresh) {
  std::vector<LabelWrite> writes;
  for (int id = 1; id <= dialog::kControlCount; ++id) {
    auto* before = dynamic_cast<toolkit::TLabel*>(fresh.Control(id));
    auto* after = dynamic_cast<toolkit::TLabel*>(done.Control(id));
    if (!before || !after || ShownText(*before) == ShownText(*after)) continue;
    const unsigned flags = dialog::kSysDlgLayout[id - 1].flags;
    writes.push_back(
        {id, ShownText(*after), !(flags & dialog::kFixedSize), (flags & dialog::kWordWrap) != 0});
  }
  return writes;
}

// The writes straight on the bare dialog's statics: the text, then the box
// fitted to it where the label sizes itself and the box changed.
void BareWrites(const bench::BareDialog& bare, HDC measuring, const std::vector<LabelWrite>& writes) {
  shared::ScopedSelect font(measuring, bare.Font());
  for (const LabelWrite& write : writes) {
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

// The texts of one completed pass, by control, to replay as writes alone.
std::vector<std::pair<toolkit::TLabel*, std::string>> PassTexts(dialog::TSysInfoDlg& done,
                                                                dialog::TSysInfoDlg& fresh) {
  std::vector<std::pair<toolkit::TLabel*, std::string>> texts;
  for (int id = 1; id <= dialog::kControlCount; ++id) {
    auto* before = dynamic_cast<toolkit::TLabel*>(fresh.Control(id));
    auto* after = dynamic_cast<toolkit::TLabel*>(done.Control(id));
    if (before && after) texts.emplace_back(before, ShownText(*after));
  }
  return texts;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  toolkit::CreateApplication();
  std::vector<LabelWrite> writes;
  for (int i = 0; i < 10; ++i) {  // warm-up: libraries loaded, caches filled
    dialog::TSysInfoDlg dlg;
    dialog::TSysInfoDlg fresh;
    dlg.FormActivate();
    writes = PassWrites(dlg, fresh);
    BarePass();
  }
  const shared::ScopedDC measuring(CreateCompatibleDC(nullptr));
  std::vector<double> ours, bare, calls, oursWrites;
  for (int i = 0; i < rounds; ++i) {
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    auto replay = std::make_unique<dialog::TSysInfoDlg>();
    auto bareDialog = std::make_unique<bench::BareDialog>(nullptr);
    // Each round starts with another side, so drift in the machine's load hits all alike.
    for (int k = 0; k < 3; ++k) {
      const int side = (i + k) % 3;
      const LONGLONG start = bench::Now();
      if (side == 0) {
        dlg->FormActivate();
      } else if (side == 1) {
        BarePass();
        BareWrites(*bareDialog, measuring.Get(), writes);
      } else {
        BarePass();
      }
      (side == 0 ? ours : side == 1 ? bare : calls).push_back(bench::Micros(bench::Now() - start));
    }
    const auto texts = PassTexts(*dlg, *replay);
    const LONGLONG start = bench::Now();
    for (const auto& [label, text] : texts) label->SetText(text.c_str());
    oursWrites.push_back(bench::Micros(bench::Now() - start));
  }
  const bench::Summary o = bench::Summarise(ours);
  const bench::Summary b = bench::Summarise(bare);
  const bench::Summary c = bench::Summarise(calls);
  const bench::Summary w = bench::Summarise(oursWrites);
  std::printf("Activation pass, %d rounds after 10 warm-up rounds, each side in turn; microseconds\n",
              rounds);
  std::printf("%zu label writes per pass\n", writes.size());
  std::printf("%-50s %10s %10s\n", "", "median", "p90");
  std::printf("%-50s %10.0f %10.0f\n", "ours: FormActivate on a built dialog", o.median, o.p90);
  std::printf("%-50s %10.0f %10.0f\n", "bare: the same calls and label writes", b.median, b.p90);
  std::printf("%-50s %10.0f %10.0f\n", "calls: the same platform calls back to back", c.median, c.p90);
  std::printf("%-50s %10.0f %10.0f\n", "of ours: the label writes alone", w.median, w.p90);
  const double ratio = b.median > 0 ? o.median / b.median : 0;
  std::printf("ratio ours/bare (medians) %.2f (target <= 1.15)\n", ratio);
  toolkit::DestroyApplication();
  return 0;
}
