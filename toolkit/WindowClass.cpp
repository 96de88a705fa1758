#include "toolkit/WindowClass.h"

#include "toolkit/Control.h"

namespace toolkit {

DWORD RegisterToolkitClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(ToolkitModule(), name, &existing)) return ERROR_SUCCESS;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ToolkitModule();
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  // No class icon: without one neither Windows nor Wine puts an icon into a
  // dialog-framed title bar.
  return ::RegisterClassExW(&windowClass) ? ERROR_SUCCESS : ::GetLastError();
}

void UnregisterToolkitClass(const wchar_t* name) { ::UnregisterClassW(name, ToolkitModule()); }

}  // namespace toolkit
