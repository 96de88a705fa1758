#include "toolkit/WindowClass.h"

#include <system_error>

#include "toolkit/Control.h"

namespace toolkit {

void RegisterToolkitClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(ToolkitModule(), name, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ToolkitModule();
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  // No class icon: without one neither Windows nor Wine puts an icon into a
  // dialog-framed title bar.
  if (!::RegisterClassExW(&windowClass)) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "RegisterClassEx");
  }
}

void UnregisterToolkitClass(const wchar_t* name) { ::UnregisterClassW(name, ToolkitModule()); }

}  // namespace toolkit
