// TSysInfoDlg: the modal, tabbed system information dialog. Its controls are
// built from the stored layout table; its behaviour lives in the event
// handlers below.
#pragma once

#include <string>

#include "dialog/SysDlgControls.h"
#include "toolkit/Bevel.h"
#include "toolkit/Button.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"

namespace dialog {

struct ControlLayout;
class TRegistry;

class TSysInfoDlg : public toolkit::TForm {
 public:
  // Builds every control of the stored layout, then raises the creation
  // event. Throws when the layout cannot be built; an error inside the
  // creation event is shown in the error box instead.
  TSysInfoDlg();

  // Published controls, in declaration order.
#define ZX_CONTROL_FIELD(kind, name, ...) toolkit::T##kind* name = nullptr;
  ZX_SYSDLG_CONTROLS(ZX_CONTROL_FIELD)
#undef ZX_CONTROL_FIELD

  // Event handlers.
  void FormActivate();
  void OKBtnClick();
  void SysPageControlChange();
  void FormCreate();
  void FormCopy();  // SysDlgCopy.cpp

  // Every label back to its stored text and visibility, then the creation
  // event's captions: the labels as a new dialog shows them before its
  // first activation pass, so that one dialog can serve many passes.
  void RestoreStoredLabels();

  // The pages with a tab, as the copy keys put them on the clipboard: per
  // page its caption, then "prompt<TAB>value" for each visible value label
  // from top to bottom, an empty line between pages, CRLF line ends.
  std::wstring CopyText() const;

  // Control by window ID (1..75), null outside that range.
  toolkit::TControl* Control(int id) const;
  bool VerListBuilt() const { return FVerListBuilt; }

  // Test hook: building the layout fails at the control with this ID.
  static inline int failAtControlForTesting = 0;

 private:
  void BuildControls();
  toolkit::TControl& Create(const ControlLayout& row);
  void BindFields();
  void SetCaptions();
  void BuildLibraryList();  // SysDlgLibraryList.cpp

  // Gathering steps of the activation pass (SysDlgGather.cpp), in pass order.
  void ReadProcessorIdentification(TRegistry& registry);
  // Returns the product name as stored, for the version step.
  std::string ReadWindowsValues(TRegistry& registry);
  void ReadWindowsVersion(const std::string& storedProductName);
  void ReadProcessorArchitecture();
  void ReadMemoryFigures();
  void ReadNames();
  void ReadBIOSInfo();
  void ReadBIOSInfo9x();
  void ReadBIOSInfoNT();

  toolkit::TControl* controls_[kControlCount + 1] = {};
  bool FVerListBuilt = false;
  bool FScanRunning = false;
};

// The dialog while the launcher shows it, otherwise null.
extern TSysInfoDlg* SysInfoDlg;

}  // namespace dialog
