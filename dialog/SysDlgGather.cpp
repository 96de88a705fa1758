// The activation pass: every step that fills the value labels, in the order
// the pass runs them. An error raised by a step ends the pass; the dialog's
// event dispatch shows it and the labels keep what they showed.
#include <vector>

#include "dialog/LabelTexts.h"
#include "dialog/Registry.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"

namespace dialog {

namespace {

using LabelField = toolkit::TLabel* TSysInfoDlg::*;

struct ValueRow {
  const char* name;
  LabelField label;
  bool fallback;  // "No information" for empty text
};

constexpr ValueRow kProcessorValues[] = {
    {"Identifier", &TSysInfoDlg::lblProcID, true},
    {"MMXIdentifier", &TSysInfoDlg::lblMMXProcID, true},
    {"VendorIdentifier", &TSysInfoDlg::lblProcVendor, true},
};

// Read in this order; the first decides which key the others come from.
constexpr ValueRow kWindowsValues[] = {
    {"ProductKey", &TSysInfoDlg::lblProductKey, true},
    {"CSDVersion", &TSysInfoDlg::lblCSDVersion, true},
    {"CurrentBuild", &TSysInfoDlg::lblCurrentBuild, true},
    {"CurrentBuildNumber", &TSysInfoDlg::lblCurrentBuildNumber, true},
    {"CurrentVersion", &TSysInfoDlg::lblCurrentVersion, true},
    {"Plus! VersionNumber", &TSysInfoDlg::lblPlusVersionNumber, true},
    {"ProductID", &TSysInfoDlg::lblProductID, true},
    {"ProductName", &TSysInfoDlg::lblProductName, true},
    {"RegisteredOrganization", &TSysInfoDlg::lblOrg, true},
    {"RegisteredOwner", &TSysInfoDlg::lblOwner, false},
};

constexpr LabelField kMemoryLabels[kMemoryRows] = {
    &TSysInfoDlg::lblMemTotal,        &TSysInfoDlg::lblMemAvailable, &TSysInfoDlg::lblMemUsage,
    &TSysInfoDlg::lblSwapFileSetting, &TSysInfoDlg::lblSwapFileSize, &TSysInfoDlg::lblSwapFileUsage,
};

constexpr char kProcessorKey[] = "\\Hardware\\Description\\System\\CentralProcessor\\0";
constexpr char kWindowsKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kWindowsNTKey[] = "\\Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kEnumRootKey[] = "\\Enum\\Root\\";
constexpr char kInstanceSuffix[] = "\\0000";
constexpr char kSystemKey[] = "Hardware\\description\\system";
constexpr size_t kBiosBufferSize = 1001;

void Show(toolkit::TLabel* label, const std::string& text) { label->SetText(text.c_str()); }

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
  registry.OpenKey(kProcessorKey);
  for (const ValueRow& row : kProcessorValues)
    Show(this->*row.label, OrNoInformation(registry.ReadString(row.name)));
}

std::string TSysInfoDlg::ReadWindowsValues(TRegistry& registry) {
  // When the open fails, the processor key of the step before stays current.
  registry.OpenKey(kWindowsKey);
  bool first = true;
  std::string productName;
  for (const ValueRow& row : kWindowsValues) {
    const std::string text = registry.ReadString(row.name);
    Show(this->*row.label, row.fallback ? OrNoInformation(text) : text);
    if (row.label == &TSysInfoDlg::lblProductName) productName = text;
    if (first && text.empty()) {
      // No product key here: the rest comes from the Windows NT key.
      registry.CloseKey();
      registry.OpenKey(kWindowsNTKey);
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
  const ArchitectureTexts texts = ArchitectureText(Queries().processor());
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
  registry.OpenKey(kEnumRootKey);
  if (!registry.HasSubKeys()) return;
  std::vector<std::string> names;
  registry.GetKeyNames(names);
  // The instance keys are tried in enumeration order; a later non-empty
  // value replaces an earlier one.
  const uint16_t count = static_cast<uint16_t>(names.size());
  for (uint16_t i = 0; i < count; ++i) {
    registry.OpenKey(kEnumRootKey + names[i] + kInstanceSuffix);
    const std::string version = registry.ReadString("BIOSVersion");
    if (!version.empty()) Show(lblBIOSVer, version);
    const std::string date = registry.ReadString("BIOSDate");
    if (!date.empty()) Show(lblBIOSDate, date);
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
  Show(lblBIOSVer, readText("SystemBiosVersion"));
  std::string date;
  // No value (or no key) shows empty text, as a failed read does; asked
  // first, so that the common case raises nothing.
  if (const std::optional<DWORD> type = registry.ValueType("SystemBiosDate")) {
    try {
      if (*type == REG_SZ || *type == REG_EXPAND_SZ) {
        // As the NT family stores it ("MM/DD/YY"), like the 9x family's date.
        date = registry.ReadString("SystemBiosDate");
      } else {
        SYSTEMTIME day;
        if (DateFromDateTime(registry.ReadDate("SystemBiosDate"), &day)) date = ShortDateText(day);
      }
    } catch (const ERegistryException&) {
    }
  }
  Show(lblBIOSDate, date);
  Show(lblVideoBIOSVer, readText("VideoBiosVersion"));
}

}  // namespace dialog
