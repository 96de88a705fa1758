#include "toolkit/FormSupport.h"

#include <commctrl.h>

#include <new>
#include <stdexcept>

#include "shared/Scoped.h"
#include "toolkit/ActCtx.h"
#include "toolkit/Control.h"
#include "toolkit/Density.h"
#include "toolkit/Font.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/PageControl.h"
#include "toolkit/WindowClass.h"

namespace toolkit {
namespace {

struct Prepared {
  shared::ScopedActCtx context;
  shared::ScopedModule commonControls;
  shared::ScopedModule shellScaling;  // where the system has per-thread DPI awareness
  FormFontCache fonts;
  shared::ScopedDC measuring;
  HFONT measuringFont = nullptr;  // the font selected into `measuring`
  bool formClass = false;
  bool pageClass = false;
};

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
// Written only inside the one-time call, read only after it succeeded.
Prepared* g_prepared = nullptr;

// The manifest is resource 24/1 of the module holding this code; as a DLL's
// resource of that id the loader does not activate it.
shared::ScopedActCtx CreateModuleActCtx() {
  ACTCTXA request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.hModule = ToolkitModule();
  request.lpResourceName = MAKEINTRESOURCEA(1);
  const HANDLE context = ::CreateActCtxA(&request);
  return shared::ScopedActCtx(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

void Release(Prepared& prepared) {
  if (prepared.pageClass) UnregisterToolkitClass(kPageClass);
  if (prepared.formClass) UnregisterToolkitClass(kFormClass);
  prepared.pageClass = prepared.formClass = false;
  // The DC before the fonts selected into it (they go with the object); the
  // boxes measured in the fonts with it.
  ForgetMadeLabelBoxes();
  prepared.measuring.Reset();
  prepared.measuringFont = nullptr;
  prepared.shellScaling.Reset();
  // After the classes: the common controls go last but one, then the context
  // that chose their version.
  prepared.commonControls.Reset();
  prepared.context.Reset();
}

DWORD Make(Prepared& prepared) {
  // Without the manifest the forms get the system's default controls.
  prepared.context = CreateModuleActCtx();
  {
    // Loaded inside the context, the name resolves to the version 6 library,
    // which registers its classes as that context expects; the import table
    // would bind the default version at load instead.
    TActCtxScope scope(prepared.context.Get());
    prepared.commonControls = shared::ScopedModule(::LoadLibraryW(L"comctl32.dll"));
    if (!prepared.commonControls) return ::GetLastError();
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(::GetProcAddress(prepared.commonControls.Get(), "InitCommonControlsEx")));
    if (!init) return ::GetLastError();
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    init(&classes);
  }
  if (const DWORD error = RegisterToolkitClass(kFormClass, TForm::Procedure)) return error;
  prepared.formClass = true;
  if (const DWORD error = RegisterToolkitClass(kPageClass, TTabSheet::Procedure)) return error;
  prepared.pageClass = true;
  // The density of a per-monitor aware thread's screen comes from shcore;
  // a missing one leaves the system's density.
  if (HasThreadDpiAwareness()) {
    prepared.shellScaling =
        shared::ScopedModule(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  }
  prepared.measuring = shared::ScopedDC(::CreateCompatibleDC(nullptr));
  if (!prepared.measuring) return ERROR_NOT_ENOUGH_MEMORY;
  return ERROR_SUCCESS;
}

BOOL CALLBACK PrepareOnce(INIT_ONCE*, void* result, void**) {
  DWORD& error = *static_cast<DWORD*>(result);
  auto* prepared = new (std::nothrow) Prepared;
  if (!prepared) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    return FALSE;
  }
  try {
    error = Make(*prepared);
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    error = ERROR_CAN_NOT_COMPLETE;
  }
  if (error != ERROR_SUCCESS) {
    Release(*prepared);
    delete prepared;
    return FALSE;
  }
  g_prepared = prepared;
  return TRUE;
}

}  // namespace

DWORD PrepareForms() noexcept {
  DWORD error = ERROR_SUCCESS;
  if (::InitOnceExecuteOnce(&g_once, PrepareOnce, &error, nullptr)) return ERROR_SUCCESS;
  // A failed attempt leaves the INIT_ONCE ready for the next one.
  return error != ERROR_SUCCESS ? error : ERROR_CAN_NOT_COMPLETE;
}

void ReleaseForms() noexcept {
  if (!g_prepared) return;
  Release(*g_prepared);
  delete g_prepared;
  g_prepared = nullptr;
  ::InitOnceInitialize(&g_once);
}

HANDLE FormsActCtx() noexcept { return g_prepared ? g_prepared->context.Get() : nullptr; }

const FormMetrics& CurrentFormMetrics(std::span<const DesignText> texts) {
  if (!g_prepared) throw std::logic_error("PrepareForms has not run");
  return FormMetricsAt(FormDensity(g_prepared->shellScaling.Get()), texts);
}

const FormMetrics& FormMetricsAt(int dpi, std::span<const DesignText> texts) {
  if (!g_prepared) throw std::logic_error("PrepareForms has not run");
  return g_prepared->fonts.Get(dpi, texts);
}

LayoutScale LayoutScaleOf(HFONT font) noexcept {
  if (!g_prepared || !font) return {};
  try {
    return g_prepared->fonts.ScaleOf(font);
  } catch (...) {  // the lock
    return {};
  }
}

HDC MeasuringDC(HFONT font) noexcept {
  if (!g_prepared) return nullptr;
  // Selected only when another font was: most labels share one.
  if (font && font != g_prepared->measuringFont) {
    ::SelectObject(g_prepared->measuring.Get(), font);
    g_prepared->measuringFont = font;
  }
  return g_prepared->measuring.Get();
}

}  // namespace toolkit
