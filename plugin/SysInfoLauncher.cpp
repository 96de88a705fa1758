#include "plugin/SysInfoLauncher.h"

#include <memory>
#include <system_error>

#include "dialog/SysDlg.h"
#include "toolkit/Application.h"
#include "toolkit/FormSupport.h"

namespace plugin {

namespace {

// Puts the application window handle back, and forgets the dialog, however
// the launcher is left.
class LaunchScope {
 public:
  LaunchScope() : savedHandle_(toolkit::Application->Handle()) {}
  ~LaunchScope() {
    dialog::SysInfoDlg = nullptr;
    toolkit::Application->SetHandle(savedHandle_);
  }
  LaunchScope(const LaunchScope&) = delete;
  LaunchScope& operator=(const LaunchScope&) = delete;

 private:
  HWND savedHandle_;
};

}  // namespace

void ShowSystemInfoDlg(HWND wnd) {
  // What only the dialog needs is made by the first showing, not at load.
  if (const DWORD error = toolkit::PrepareForms()) {
    throw std::system_error(static_cast<int>(error), std::system_category(), "PrepareForms");
  }
  LaunchScope scope;
  toolkit::Application->SetHandle(wnd);
  // Declared after the scope, so the dialog is destroyed before the handle
  // is restored.
  auto dialog = std::make_unique<dialog::TSysInfoDlg>();
  dialog::SysInfoDlg = dialog.get();
  dialog->ShowModal();
}

}  // namespace plugin
