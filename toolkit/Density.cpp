#include "toolkit/Density.h"

#include "shared/Scoped.h"
#include "toolkit/Scaling.h"

namespace toolkit {
namespace {

// Windows 10 1607 and later; looked up, since earlier systems lack them.
struct AwarenessCalls {
  using ThreadContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using AwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using SystemDpiFn = UINT(WINAPI*)();
  using WindowDpiFn = UINT(WINAPI*)(HWND);
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  ThreadContextFn threadContext = nullptr;
  AwarenessFn awareness = nullptr;
  SystemDpiFn systemDpi = nullptr;
  WindowDpiFn windowDpi = nullptr;
  AdjustForDpiFn adjustForDpi = nullptr;
};

template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const AwarenessCalls& Calls() {
  static const AwarenessCalls calls = [] {
    const HMODULE user = ::GetModuleHandleW(L"user32.dll");
    AwarenessCalls found;
    if (!user) return found;
    found.threadContext = LookUp<AwarenessCalls::ThreadContextFn>(user, "GetThreadDpiAwarenessContext");
    found.awareness = LookUp<AwarenessCalls::AwarenessFn>(user, "GetAwarenessFromDpiAwarenessContext");
    found.systemDpi = LookUp<AwarenessCalls::SystemDpiFn>(user, "GetDpiForSystem");
    found.windowDpi = LookUp<AwarenessCalls::WindowDpiFn>(user, "GetDpiForWindow");
    found.adjustForDpi = LookUp<AwarenessCalls::AdjustForDpiFn>(user, "AdjustWindowRectExForDpi");
    return found;
  }();
  return calls;
}

int ScreenDcDensity() {
  shared::ScopedWindowDC screen(nullptr);
  return screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDesignDpi;
}

// shcore's GetDpiForMonitor with the effective density (Windows 8.1).
int PrimaryScreenDensity(HMODULE shellScaling) {
  using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const auto monitorDpi = shellScaling ? LookUp<MonitorDpiFn>(shellScaling, "GetDpiForMonitor") : nullptr;
  if (!monitorDpi) return 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0, y = 0;
  const HMONITOR primary = ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  return SUCCEEDED(monitorDpi(primary, kEffectiveDpi, &x, &y)) ? static_cast<int>(y) : 0;
}

}  // namespace

bool HasThreadDpiAwareness() noexcept { return Calls().threadContext && Calls().awareness; }

int WindowDensity(HWND window) noexcept {
  return Calls().windowDpi ? static_cast<int>(Calls().windowDpi(window)) : 0;
}

void AdjustWindowRectForDensity(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept {
  if (dpi > 0 && Calls().adjustForDpi) {
    Calls().adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
}

int FormDensity(HMODULE shellScaling) noexcept {
  const AwarenessCalls& calls = Calls();
  if (HasThreadDpiAwareness()) {
    switch (calls.awareness(calls.threadContext())) {
      case DPI_AWARENESS_UNAWARE:
        return kDesignDpi;
      case DPI_AWARENESS_SYSTEM_AWARE:
        if (calls.systemDpi) return static_cast<int>(calls.systemDpi());
        break;
      case DPI_AWARENESS_PER_MONITOR_AWARE:
        if (const int dpi = PrimaryScreenDensity(shellScaling)) return dpi;
        if (calls.systemDpi) return static_cast<int>(calls.systemDpi());
        break;
      default:
        break;
    }
  }
  return ScreenDcDensity();
}

}  // namespace toolkit
