#include "plugin/SysInfoLauncher.h"

#include <memory>

#include "dialog/SysDlg.h"
#include "toolkit/Application.h"

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
  LaunchScope scope;
  toolkit::Application->SetHandle(wnd);
  // Declared after the scope, so the dialog is destroyed before the handle
  // is restored.
  auto dialog = std::make_unique<dialog::TSysInfoDlg>();
  dialog::SysInfoDlg = dialog.get();
  dialog->ShowModal();
}

}  // namespace plugin
