// Every registry value the activation pass reads (the pass's own table,
// dialog/SysDlgReads.h), set in turn to every registry type, to no data, to
// 1 MB and to text without its zero, with a scratch tree standing in for
// HKEY_LOCAL_MACHINE. Each cell's outcome is
// worked out here from the reader rules (not asked of the reader) and
// compared with what a real dialog shows; the matrix is printed, one line
// per cell. Most cells call the activation handler directly; a subset runs
// the dialog modally, so the error box is the real one. One dialog serves
// every direct cell, its labels back at their stored texts before each; each
// modal cell shows a new dialog, as Execute does.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dialog/LabelTexts.h"
#include "dialog/Registry.h"
#include "dialog/SysDlg.h"
#include "dialog/SysDlgReads.h"
#include "host/ProcessCounters.h"
#include "tests/gather/FakeQueries.h"
#include "tests/gather/ScratchRegistry.h"
#include "tests/toolkit/TestSupport.h"
#include "toolkit/Application.h"

namespace {

using dialog::ReadKind;
using dialog::RegistryRead;
using dialog::TSysInfoDlg;

constexpr char kSentinel[] = "from the later key";
// The stored caption of every value label.
constexpr char kInitial[] = "No information";
constexpr char kComputer[] = "BUILDHOST";

// Where a cell writes its value: the value's own key, or for the 9x family
// the first of two instance keys. The second holds the other BIOS value,
// which only a pass that got past the first key shows.
std::string InstanceKey(const char* device) {
  return std::string(dialog::kEnumRootKey) + "\\" + device + "\\" + dialog::kInstanceKey;
}

std::string CellKey(const RegistryRead& read) {
  return read.kind == ReadKind::Text9x ? InstanceKey("A") : read.key;
}

// 9x: the other value the instance keys hold, or null.
const RegistryRead* OtherValue(const RegistryRead& read) {
  if (read.kind != ReadKind::Text9x) return nullptr;
  for (const RegistryRead& other : dialog::kBios9xReads)
    if (&other != &read) return &other;
  return nullptr;
}

std::string LabelText(const TSysInfoDlg& dlg, dialog::ControlId id) {
  return toolkit_test::ShownText(dlg.Control(id));
}

struct Case {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
  bool absent = false;
  bool holdsDate = false;  // 8 bytes: 13 August 2004, noon
};

std::string Bytes(const char* data, size_t size) { return std::string(data, size); }

struct TypeRow {
  const char* name;
  DWORD type;
  std::string typical;  // data of the type's usual shape, text up to a zero
};

const std::vector<TypeRow>& Types() {
  static const std::vector<TypeRow> types = {
      {"NONE", REG_NONE, Bytes("none data\0tail", 14)},
      {"SZ", REG_SZ, Bytes("sz text\0hidden\0", 15)},
      {"EXPAND_SZ", REG_EXPAND_SZ, Bytes("%SystemRoot%\\unexpanded\0", 24)},
      {"BINARY", REG_BINARY, Bytes("binary\0\x01\x02\xff", 10)},
      {"DWORD", REG_DWORD, Bytes("DWD\0", 4)},
      {"DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN, Bytes("BE4\0", 4)},
      {"LINK", REG_LINK, Bytes("\\\0L\0i\0n\0k\0", 10)},
      {"MULTI_SZ", REG_MULTI_SZ, Bytes("first\0second\0\0", 14)},
      {"RESOURCE_LIST", REG_RESOURCE_LIST, Bytes("resource list\0\x07", 15)},
      {"FULL_RESOURCE_DESCRIPTOR", REG_FULL_RESOURCE_DESCRIPTOR, Bytes("full descriptor\0", 16)},
      {"RESOURCE_REQUIREMENTS_LIST", REG_RESOURCE_REQUIREMENTS_LIST, Bytes("requirements\0", 13)},
      {"QWORD", REG_QWORD, Bytes("QWORD-8\0", 8)},
      {"type 0x1234", 0x1234, Bytes("unknown type\0", 13)},
  };
  return types;
}

std::string Megabyte() {
  std::string data(1u << 20, 'M');
  data.back() = '\0';
  return data;
}

std::string DoubleBytes(double value) {
  std::string data(sizeof value, '\0');
  std::memcpy(data.data(), &value, sizeof value);
  return data;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = [] {
    std::vector<Case> all;
    for (const TypeRow& row : Types()) all.push_back({row.name, row.type, row.typical});
    for (const TypeRow& row : Types()) all.push_back({std::string(row.name) + " len 0", row.type, ""});
    const std::string megabyte = Megabyte();
    for (const TypeRow& row : Types()) all.push_back({std::string(row.name) + " 1 MB", row.type, megabyte});
    all.push_back({"SZ no zero", REG_SZ, "no terminator"});
    all.push_back({"EXPAND_SZ no zero", REG_EXPAND_SZ, "%no terminator%"});
    all.push_back({"BINARY no zero", REG_BINARY, "bytes only"});
    all.push_back({"BINARY 8 date", REG_BINARY, DoubleBytes(38212.5), false, true});
    // A NaN whose low bytes read as text; then a finite day count far
    // beyond the year 9999.
    all.push_back({"BINARY 8 NaN", REG_BINARY, Bytes("!NaN\0\0\xf8\x7f", 8)});
    all.push_back({"BINARY 8 out of range", REG_BINARY, Bytes("OOR\0\0\0\0\x42", 8)});
    all.push_back({"absent", REG_NONE, "", true});
    return all;
  }();
  return cases;
}

// What a cell shows: the error box's text ("" when none) and the label.
struct Outcome {
  std::string box;
  std::string label;
  bool operator==(const Outcome&) const = default;
};

std::string UpToZero(const std::string& data) { return data.substr(0, data.find('\0')); }

std::string AugustThirteenth() {
  SYSTEMTIME day{};
  day.wYear = 2004, day.wMonth = 8, day.wDay = 13, day.wDayOfWeek = 5;
  return dialog::ShortDateText(day);
}

// The reader rules, applied to the data the cell wrote.
Outcome Expected(const RegistryRead& read, const Case& c) {
  const bool isText = c.type == REG_SZ || c.type == REG_EXPAND_SZ;
  const std::string empty = read.kind == ReadKind::TextAsStored ? "" : kInitial;
  switch (read.kind) {
    case ReadKind::Text:
    case ReadKind::TextAsStored:
    case ReadKind::Text9x: {
      // No data reads as empty text before any type check.
      if (c.absent || c.data.empty()) return {"", empty};
      if (!isText) return {std::string("Invalid data type for '") + read.value + "'", kInitial};
      const std::string text = UpToZero(c.data);
      // 9x: an empty text leaves the label as it was.
      return {"", text.empty() ? empty : text};
    }
    case ReadKind::Binary:
      if (c.absent) return {"", kInitial};
      // An unsuited type or more than the BIOS buffer holds: the error
      // becomes empty text.
      if (isText || c.type == REG_DWORD || c.data.size() > dialog::kBiosBufferSize) return {"", ""};
      // Nothing read: nothing of this value to show, as when absent.
      if (c.data.empty()) return {"", kInitial};
      return {"", UpToZero(c.data)};
    case ReadKind::Date:
      // The NT family's own form: text, shown as stored up to a zero.
      if (!c.absent && isText) return {"", UpToZero(c.data)};
      if (c.absent || c.type != REG_BINARY || c.data.size() != 8) return {"", ""};
      return {"", c.holdsDate ? AugustThirteenth() : ""};
  }
  return {};
}

// What a dialog showed after its pass.
struct Observed {
  Outcome outcome;
  std::string windowsType;   // set by the version query, after the registry steps
  std::string computerName;  // set late in the pass
  std::string other;         // 9x: the label the later key feeds
  std::string setupProblem;
  // Modal runs only.
  HWND boxOwner = nullptr;
  HICON boxIcon = nullptr;
  int boxButtons = 0;
  HWND dialog = nullptr;
};

// Writes the cell's value and checks that the registry kept it as written,
// so a surprise in the outcome is the reader's and not the setup's.
std::string Populate(gather_test::ScratchRegistry& scratch, const RegistryRead& read, const Case& c) {
  const std::string key = CellKey(read);
  if (c.absent) {
    scratch.AddKey(key);
  } else {
    // The registry adds a zero to text that lacks one when the byte after
    // the data is a zero; a non-zero byte there keeps the data as given.
    const std::string buffer = c.data + 'X';
    scratch.Set(key, read.value, c.type, buffer.data(), static_cast<DWORD>(c.data.size()));
  }
  if (const RegistryRead* other = OtherValue(read))
    scratch.SetText(InstanceKey("B"), other->value, kSentinel);
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return "the key was not created";
  DWORD type = 0, size = 0;
  const LONG status = ::RegQueryValueExA(opened, read.value, nullptr, &type, nullptr, &size);
  ::RegCloseKey(opened);
  if (c.absent) return status == ERROR_FILE_NOT_FOUND ? "" : "a value is present";
  if (status != ERROR_SUCCESS) return "the value was not stored";
  if (type != c.type || size != c.data.size())
    return "stored as type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
  return "";
}

void ReadLabels(const TSysInfoDlg& dlg, const RegistryRead& read, Observed& seen) {
  seen.outcome.label = LabelText(dlg, read.label);
  seen.windowsType = toolkit_test::ShownText(dlg.lblWindowsType);
  seen.computerName = toolkit_test::ShownText(dlg.lblCompName);
  if (const RegistryRead* other = OtherValue(read)) seen.other = LabelText(dlg, other->label);
}

// One dialog serves many direct cells: each pass starts from the labels as
// a new dialog shows them.
Observed RunDirect(TSysInfoDlg& dlg, const RegistryRead& read, const Case& c) {
  Observed seen;
  gather_test::ScratchRegistry scratch;
  seen.setupProblem = Populate(scratch, read, c);
  gather_test::fake.nineX = read.kind == ReadKind::Text9x;
  dlg.RestoreStoredLabels();
  try {
    dlg.FormActivate();
  } catch (const std::exception& e) {
    seen.outcome.box = toolkit::ErrorBoxText(e.what());
  }
  ReadLabels(dlg, read, seen);
  return seen;
}

// A new dialog shown modally, as Execute shows it: the activation pass runs
// as it shows.
Observed RunModal(const RegistryRead& read, const Case& c) {
  Observed seen;
  gather_test::ScratchRegistry scratch;
  seen.setupProblem = Populate(scratch, read, c);
  gather_test::fake.nineX = read.kind == ReadKind::Text9x;
  TSysInfoDlg dlg;
  seen.dialog = dlg.Handle();
  host::SeenMessageBox box;
  // The box, if any, is up before the first tick: the pass runs as the
  // dialog shows. The last steps only matter if something is left open.
  toolkit_test::Script script({[&] { box = toolkit_test::ReadAndCloseMessageBox(); },
                               [&] {
                                 ReadLabels(dlg, read, seen);
                                 ::PostMessageW(dlg.OKBtn->Handle(), BM_CLICK, 0, 0);
                               },
                               [&] { toolkit_test::ReadAndCloseMessageBox(); },
                               [&] { dlg.SetModalResult(2); }});
  dlg.ShowModal();
  seen.outcome.box = box.text;
  seen.boxOwner = box.owner;
  seen.boxIcon = box.icon;
  seen.boxButtons = static_cast<int>(box.buttonIds.size());
  return seen;
}

// Why an observation differs from the rules, or "" when it does not.
std::string Mismatch(const RegistryRead& read, const Case& c, const Observed& seen, bool modal) {
  if (!seen.setupProblem.empty()) return "setup: " + seen.setupProblem;
  const Outcome expected = Expected(read, c);
  if (seen.outcome.box != expected.box) return "error box differs";
  if (seen.outcome.label != expected.label) return "label differs";
  const bool failed = !expected.box.empty();
  // An error ends the pass where it stands; otherwise the pass runs out.
  if (read.kind == ReadKind::Text9x) {
    if (seen.other != (failed ? kInitial : kSentinel)) return "the later instance key was handled wrongly";
  } else if (failed && seen.windowsType != kInitial) {
    return "the version query ran after the error";
  }
  // The names come before the BIOS step, so a 9x BIOS error leaves them set.
  if (read.kind != ReadKind::Text9x && (seen.computerName == kComputer) == failed)
    return failed ? "the pass went on" : "the pass stopped";
  if (modal && failed) {
    if (seen.boxOwner != seen.dialog) return "the box is not owned by the dialog";
    if (seen.boxButtons != 1 || seen.boxIcon != ::LoadIconA(nullptr, IDI_HAND)) return "not a stop box";
  }
  return "";
}

// A text for the matrix: quoted, non-printable bytes escaped, long texts cut.
std::string Shown(const std::string& text) {
  std::string out = "\"";
  const size_t keep = text.size() > 40 ? 12 : text.size();
  for (size_t i = 0; i < keep; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    }
  }
  out += "\"";
  if (keep < text.size()) out += "... (" + std::to_string(text.size()) + " chars)";
  return out;
}

std::string Describe(const Outcome& outcome) {
  if (!outcome.box.empty()) return "error box " + Shown(outcome.box) + ", label " + Shown(outcome.label);
  return "label " + Shown(outcome.label);
}

void PrintCell(const RegistryRead& read, const Case& c, const Observed& seen, const std::string& problem,
               bool modal) {
  std::printf("%-22s %-33s %-5s %-5s %s\n", read.value, c.name.c_str(), modal ? "modal" : "",
              problem.empty() ? "ok" : "WRONG", Describe(seen.outcome).c_str());
  if (!problem.empty()) {
    std::printf("%-22s %-33s %-5s %-5s expected %s: %s\n", "", "", "", "",
                Describe(Expected(read, c)).c_str(), problem.c_str());
  }
}

bool InModalSubset(const Case& c) {
  for (const char* name : {"SZ", "DWORD", "MULTI_SZ", "type 0x1234", "SZ len 0", "SZ no zero", "BINARY 1 MB"})
    if (c.name == name) return true;
  return false;
}

class RegistryMatrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gather_test::fake.version = {6, 1, 7601, 2};
    gather_test::fake.memory = {256u << 20, 128u << 20, 512u << 20, 256u << 20};
    gather_test::fake.computer = {true, kComputer};
  }
  gather_test::FakeQueries queries_;
};

}  // namespace

TEST_F(RegistryMatrixTest, EveryValueTimesEveryCaseGivesTheOutcomeOfTheRules) {
  // One cell first, so that what Wine creates once per process does not
  // count as a leak.
  RunDirect(*std::make_unique<TSysInfoDlg>(), dialog::kRegistryReads[0], Cases()[0]);
  const int handlesBefore = host::KernelHandleCount();
  const int windowsBefore = host::ThreadWindowCount();

  std::printf("%-22s %-33s %-5s %-5s %s\n", "value", "case", "path", "check", "outcome");
  int cells = 0, wrong = 0;
  auto dlg = std::make_unique<TSysInfoDlg>();
  for (const RegistryRead& read : dialog::kRegistryReads) {
    for (const Case& c : Cases()) {
      const Observed seen = RunDirect(*dlg, read, c);
      const std::string problem = Mismatch(read, c, seen, false);
      PrintCell(read, c, seen, problem, false);
      ++cells;
      if (!problem.empty()) {
        ++wrong;
        ADD_FAILURE() << read.value << " / " << c.name << ": " << problem << "; shows "
                      << Describe(seen.outcome) << ", expected " << Describe(Expected(read, c));
      }
    }
  }
  std::printf("%d cells, %d wrong\n", cells, wrong);
  // The restored labels are a new dialog's, so a cell's outcome is the one
  // a new dialog would give.
  dlg->RestoreStoredLabels();
  {
    const TSysInfoDlg fresh;
    // Where each control stands in its dialog, left, top, right, bottom.
    auto place = [](const TSysInfoDlg& owner, HWND control) {
      RECT rect{};
      ::GetWindowRect(control, &rect);
      ::MapWindowPoints(HWND_DESKTOP, owner.Handle(), reinterpret_cast<POINT*>(&rect), 2);
      return std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom};
    };
    for (int id = 1; id <= dialog::kControlCount; ++id) {
      const HWND reused = dlg->Control(id)->Handle(), made = fresh.Control(id)->Handle();
      EXPECT_EQ(toolkit_test::ShownText(reused), toolkit_test::ShownText(made)) << "control " << id;
      EXPECT_EQ(::IsWindowVisible(reused), ::IsWindowVisible(made)) << "control " << id;
      EXPECT_EQ(place(*dlg, reused), place(fresh, made)) << "control " << id;
    }
  }
  dlg.reset();

  EXPECT_EQ(host::ThreadWindowCount(), windowsBefore) << "a dialog's windows outlived it";
  const int handlesAfter = host::KernelHandleCount();
  if (handlesBefore >= 0) {
    // A leak per cell would be hundreds; a few come and go with Wine's caches.
    EXPECT_LE(handlesAfter, handlesBefore + 8) << "handles before " << handlesBefore;
  }
}

TEST_F(RegistryMatrixTest, TheModalSubsetShowsTheRealErrorBox) {
  const int windowsBefore = host::ThreadWindowCount();
  int cells = 0;
  for (const RegistryRead& read : dialog::kRegistryReads) {
    for (const Case& c : Cases()) {
      if (!InModalSubset(c)) continue;
      const Observed seen = RunModal(read, c);
      const std::string problem = Mismatch(read, c, seen, true);
      PrintCell(read, c, seen, problem, true);
      ++cells;
      EXPECT_EQ(problem, "") << read.value << " / " << c.name << ": shows " << Describe(seen.outcome)
                             << ", expected " << Describe(Expected(read, c));
    }
  }
  std::printf("%d modal cells\n", cells);
  EXPECT_EQ(host::ThreadWindowCount(), windowsBefore) << "a dialog or box outlived its cell";
}

// The one failure no fixed data gives: the value changes between the
// reader's size query and its fetch. A second thread keeps switching a
// value between a short and a long text while passes run; every pass must
// end in one of the two texts or in the fetch error, never anything else.
TEST_F(RegistryMatrixTest, AValueChangingBetweenSizeAndFetchGivesTheFetchError) {
  gather_test::ScratchRegistry scratch;
  const std::string shortText = "short", longText(4096, 'L');
  scratch.SetText(dialog::kWindowsNTKey, "ProductName", shortText);
  gather_test::fake.nineX = false;
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, dialog::kWindowsNTKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return;
    for (bool longer = true; !stop; longer = !longer) {
      const std::string& text = longer ? longText : shortText;
      ::RegSetValueExA(key, "ProductName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    ::RegCloseKey(key);
  });
  std::map<std::string, int> outcomes;
  // The value grew between the size query and the fetch.
  const std::string fetchError = "status " + std::to_string(ERROR_MORE_DATA);
  TSysInfoDlg dlg;
  for (int pass = 0; pass < 400 && outcomes[fetchError] < 3; ++pass) {
    dlg.RestoreStoredLabels();
    std::string outcome;
    try {
      dlg.FormActivate();
      outcome = toolkit_test::ShownText(dlg.lblProductName);
    } catch (const std::exception& e) {
      const auto* registry = dynamic_cast<const dialog::ERegistryException*>(&e);
      outcome = registry ? "status " + std::to_string(registry->Code()) : e.what();
      EXPECT_EQ(toolkit_test::ShownText(dlg.lblProductName), kInitial)
          << "the label keeps its text on an error";
      EXPECT_EQ(toolkit_test::ShownText(dlg.lblWindowsType), kInitial) << "the pass ends at the error";
    }
    ++outcomes[outcome];
  }
  stop = true;
  writer.join();
  for (const auto& [outcome, count] : outcomes) {
    std::printf("ProductName changing: %4d x %s\n", count, Shown(outcome).c_str());
    EXPECT_TRUE(outcome == shortText || outcome == longText || outcome == fetchError) << Shown(outcome);
  }
  EXPECT_GT(outcomes[fetchError], 0) << "the race was never hit: the fetch error path ran in no pass";
}
