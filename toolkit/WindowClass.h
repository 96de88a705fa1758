// The toolkit's own window classes (form and page container). A DLL's
// classes outlive the DLL unless it removes them: a class left behind after
// an unload would point at code that is gone when the library loads again.
// PrepareForms registers them and ReleaseForms removes them.
#pragma once

#include <windows.h>

namespace toolkit {

constexpr wchar_t kFormClass[] = L"Zentrix.Toolkit.Form";
constexpr wchar_t kPageClass[] = L"Zentrix.Toolkit.Page";

// Registers the class unless it exists; ERROR_SUCCESS or the system's code.
DWORD RegisterToolkitClass(const wchar_t* name, WNDPROC procedure);
// Removes the class if no window of it is left (fails quietly otherwise).
void UnregisterToolkitClass(const wchar_t* name);

}  // namespace toolkit
