// The activation pass: every step that fills the value labels, in the order
// the pass runs them. An error raised by a step ends the pass; the dialog's
// event dispatch shows it and the labels keep what they showed.
#include <vector>

#include "dialog/LabelTexts.h"
#include "dialog/Registry.h"
#include "dialog/SysDlg.h"
#include "dialog/SysDlgReads.h"
#include "dialog/SystemQueries.h"

namespace dialog {

namespace {

using LabelField = toolkit::TLabel* TSysInfoDlg::*;

constexpr LabelField kMemoryLabels[kMemoryRows] = {
    &TSysInfoDlg::lblMemTotal,        &TSysInfoDlg::lblMemAvailable, &TSysInfoDlg::lblMemUsage,
    &TSysInfoDlg::lblSwapFileSetting, &TSysInfoDlg::lblSwapFileSize, &TSysInfoDlg::lblSwapFileUsage,
};

// The reader takes a path with a leading backslash as one below its root.
bool OpenBelowRoot(TRegistry& registry, const char* key) { return registry.OpenKey(std::string("\\") + key); }

void Show(toolkit::TLabel* label, const std::string& text) { label->SetText(text.c_str()); }

// Every row of the table feeds a label (checked where the table stands).
void Show(const TSysInfoDlg& dlg, const RegistryRead& read, const std::string& text) {
  Show(static_cast<toolkit::TLabel*>(dlg.Control(read.label)), text);
}

}  // namespace

void TSysInfoDlg::FormActivate() {
  std::string productName;
  {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ReadProcessorIdentification(registry);
    productName = ReadWindowsValues(registry);
  }
  ReadWindowsVersion(productName);
  ReadProcessorArchitecture();
  ReadMemoryFigures();
  ReadNames();
  ReadBIOSInfo();
  FVerListBuilt = false;
}

void TSysInfoDlg::ReadProcessorIdentification(TRegistry& registry) {
  OpenBelowRoot(registry, kProcessorReads.front().key);
  for (const RegistryRead& read : kProcessorReads)
    Show(*this, read, OrNoInformation(registry.ReadString(read.value)));
}

std::string TSysInfoDlg::ReadWindowsValues(TRegistry& registry) {
  // When the open fails, the processor key of the step before stays current.
  OpenBelowRoot(registry, kWindowsReads.front().key);
  bool first = true;
  std::string productName;
  for (const RegistryRead& read : kWindowsReads) {
    const std::string text = registry.ReadString(read.value);
    Show(*this, read, read.kind == ReadKind::Text ? OrNoInformation(text) : text);
    if (read.label == id_lblProductName) productName = text;
    if (first && text.empty()) {
      // No product key here: the rest comes from the Windows NT key.
      registry.CloseKey();
      OpenBelowRoot(registry, kWindowsReads[1].key);
    }
    first = false;
  }
  return productName;
}

void TSysInfoDlg::ReadWindowsVersion(const std::string& storedProductName) {
  const OsVersion version = Queries().osVersion();
  if (const auto type = WindowsTypeText(version.platformId)) Show(lblWindowsType, *type);
  Show(lblWinVersion, WinVersionText(version));
  Show(lblWinBuild, WinBuildText(version));
  if (const auto name = Windows11ProductName(storedProductName, version)) Show(lblProductName, *name);
}

void TSysInfoDlg::ReadProcessorArchitecture() {
  // Under emulation the record is the emulated processor's; the rows name
  // the machine's.
  const ArchitectureTexts texts =
      ArchitectureText(NativeProcessor(Queries().processor(), Queries().nativeMachine()));
  if (texts.architecture) Show(lblProcArchitecture, *texts.architecture);
  if (texts.intelExtras) {
    lblCPUType->SetVisible(true);
    Label7->SetVisible(true);
    if (texts.cpuType) Show(lblCPUType, *texts.cpuType);
  }
}

void TSysInfoDlg::ReadMemoryFigures() {
  const MemoryCounts counts = Queries().memory();
  for (int row = 1; row <= kMemoryRows; ++row)
    Show(this->*kMemoryLabels[row - 1], MemoryRowText(row, counts));
}

void TSysInfoDlg::ReadNames() {
  const NameResult computer = Queries().computerName();
  Show(lblCompName, computer.ok ? computer.name : kUnknown);
  const NameResult user = Queries().userName();
  Show(lblUserName, user.ok ? user.name : kUnknown);
}

void TSysInfoDlg::ReadBIOSInfo() {
  if (Queries().is9xFamily()) {
    ReadBIOSInfo9x();
    return;
  }
  ReadBIOSInfoNT();
  lblVideoBIOSVer->SetVisible(true);
  Label29->SetVisible(true);
}

void TSysInfoDlg::ReadBIOSInfo9x() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  const std::string root = std::string("\\") + kEnumRootKey + "\\";
  registry.OpenKey(root);
  if (!registry.HasSubKeys()) return;
  std::vector<std::string> names;
  registry.GetKeyNames(names);
  // The instance keys are tried in enumeration order; a later non-empty
  // value replaces an earlier one.
  const uint16_t count = static_cast<uint16_t>(names.size());
  for (uint16_t i = 0; i < count; ++i) {
    registry.OpenKey(root + names[i] + "\\" + kInstanceKey);
    for (const RegistryRead& read : kBios9xReads) {
      const std::string text = registry.ReadString(read.value);
      if (!text.empty()) Show(*this, read, text);
    }
  }
}

void TSysInfoDlg::ReadBIOSInfoNT() {
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  registry.OpenKey(kSystemKey);
  std::vector<unsigned char> buffer(kBiosBufferSize);
  // An absent value gives "No information"; it must not show what an
  // earlier value left in the shared buffer.
  auto readText = [&](const char* name) -> std::string {
    try {
      const size_t read = registry.ReadBinaryData(name, buffer.data(), buffer.size());
      return read == 0 ? std::string(kNoInformation) : BiosBufferText(buffer.data(), read);
    } catch (const ERegistryException&) {
      return {};
    }
  };
  Show(*this, kSystemBiosVersion, readText(kSystemBiosVersion.value));
  std::string date;
  // No value (or no key) shows empty text, as a failed read does; asked
  // first, so that the common case raises nothing.
  if (const std::optional<DWORD> type = registry.ValueType(kSystemBiosDate.value)) {
    try {
      if (*type == REG_SZ || *type == REG_EXPAND_SZ) {
        // As the NT family stores it ("MM/DD/YY"), like the 9x family's date.
        date = registry.ReadString(kSystemBiosDate.value);
      } else {
        SYSTEMTIME day;
        if (DateFromDateTime(registry.ReadDate(kSystemBiosDate.value), &day)) date = ShortDateText(day);
      }
    } catch (const ERegistryException&) {
    }
  }
  Show(*this, kSystemBiosDate, date);
  Show(*this, kVideoBiosVersion, readText(kVideoBiosVersion.value));
}

}  // namespace dialog
