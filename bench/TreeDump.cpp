#include "bench/TreeDump.h"

#include <commctrl.h>

#include <cstdio>
#include <filesystem>

#include "host/WindowRead.h"

namespace bench {

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string ClassRole(HWND window) {
  const std::wstring className = host::ClassName(window);
  // Our own classes differ in name only.
  if (className == L"Zentrix.Toolkit.Form" || className == L"ZxBench.Bare.Form") return "<form>";
  if (className == L"Zentrix.Toolkit.Page" || className == L"ZxBench.Bare.Page") return "<page>";
  return host::Utf8(className) + " (" + ProcedureModule(window) + ")";
}

std::string FontOf(HWND window) {
  // The form and the pages draw no text of their own.
  if (ClassRole(window).front() == '<') return "n/a";
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (!font || !::GetObjectW(font, sizeof logFont, &logFont)) return "-";
  return Format("%s %ld", host::Utf8(logFont.lfFaceName).c_str(), logFont.lfHeight);
}

std::string Contents(HWND window) {
  std::string out;
  if (host::IsClass(window, WC_TABCONTROLW)) {
    const std::vector<host::TabItem> tabs = host::TabItems(window);
    out = Format(" tabs=%d sel=%d", static_cast<int>(tabs.size()), host::SelectedTab(window));
    for (const host::TabItem& tab : tabs) out += " [" + host::Utf8(tab.caption) + "]";
  } else if (host::IsClass(window, WC_LISTVIEWW)) {
    out = Format(" ext=%08lx",
                 static_cast<unsigned long>(::SendMessageW(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    for (const host::ListColumn& column : host::ListColumns(window)) {
      out += Format(" [%s %d]", host::Utf8(column.caption).c_str(), column.width);
    }
  } else if (host::IsClass(window, L"Static") &&
             (::GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    out = ::SendMessageW(window, STM_GETICON, 0, 0) ? " icon" : " no-icon";
  }
  return out;
}

void Dump(HWND window, HWND form, int depth, std::vector<std::string>& lines) {
  const RECT bounds = window == form ? host::PlacementOf(window).outer : host::RectInParent(window);
  lines.push_back(
      Format("%*s%s id=%d style=%08lx ex=%08lx (%ld,%ld %ldx%ld) %s%s \"%s\" font=%s%s", depth * 2, "",
             ClassRole(window).c_str(), window == form ? 0 : ::GetDlgCtrlID(window),
             static_cast<unsigned long>(::GetWindowLongW(window, GWL_STYLE)),
             static_cast<unsigned long>(::GetWindowLongW(window, GWL_EXSTYLE)), bounds.left, bounds.top,
             bounds.right - bounds.left, bounds.bottom - bounds.top,
             ::IsWindowVisible(window) ? "shown" : "hidden", ::GetFocus() == window ? " focus" : "",
             host::Utf8(host::TextOf(window)).c_str(), FontOf(window).c_str(), Contents(window).c_str()));
  for (HWND child : host::Children(window)) Dump(child, form, depth + 1, lines);
}

}  // namespace

std::string ProcedureModule(HWND window) {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  const auto procedure = reinterpret_cast<LPCWSTR>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
  if (!::GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, procedure,
          &module) ||
      !::GetModuleFileNameW(module, path, MAX_PATH)) {
    return "?";
  }
  const std::filesystem::path file(path);
  return host::Utf8((file.parent_path().filename() / file.filename()).wstring());
}

std::vector<std::string> DumpTree(HWND form) {
  std::vector<std::string> lines;
  Dump(form, form, 0, lines);
  return lines;
}

}  // namespace bench
