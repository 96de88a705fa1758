#include "toolkit/DialogRole.h"

namespace toolkit {
namespace {

// Null where the system has no annotation service (or COM is not usable).
IAccPropServices* CreateService() {
  void* service = nullptr;
  const HRESULT made = ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IAccPropServices, &service);
  return SUCCEEDED(made) ? static_cast<IAccPropServices*>(service) : nullptr;
}

}  // namespace

TDialogRole::TDialogRole(HWND window) noexcept
    : com_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)), window_(window), service_(CreateService()) {
  if (!service_) return;
  VARIANT role{};
  role.vt = VT_I4;
  role.lVal = ROLE_SYSTEM_DIALOG;
  // Without an annotation (Wine's service keeps none) the form is what it
  // was: a window that reads as one.
  service_.Get()->SetHwndProp(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE, role);
}

TDialogRole::~TDialogRole() {
  // Cleared whatever the annotation answered: clearing what was never set
  // succeeds.
  if (service_) {
    const MSAAPROPID role = PROPID_ACC_ROLE;
    service_.Get()->ClearHwndProps(window_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &role, 1);
  }
  service_.Reset();
  // Only a call that started COM here, or counted one more start, is undone.
  if (SUCCEEDED(com_)) ::CoUninitialize();
}

}  // namespace toolkit
