#include "bench/TreeDump.h"

#include <commctrl.h>

#include <cstdio>

#include "host/Utf8.h"

namespace bench {

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string ClassRole(HWND window) {
  wchar_t name[128] = {};
  ::GetClassNameW(window, name, 128);
  const std::wstring className = name;
  // Our own classes differ in name only.
  if (className == L"Zentrix.Toolkit.Form" || className == L"ZxBench.Bare.Form") return "<form>";
  if (className == L"Zentrix.Toolkit.Page" || className == L"ZxBench.Bare.Page") return "<page>";
  return host::Utf8(name) + " (" + ProcedureModule(window) + ")";
}

std::string Text(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return host::Utf8(text);
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
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  std::string out;
  if (lstrcmpiW(name, WC_TABCONTROLW) == 0) {
    const int count = static_cast<int>(::SendMessageW(window, TCM_GETITEMCOUNT, 0, 0));
    out = Format(" tabs=%d sel=%d", count, static_cast<int>(::SendMessageW(window, TCM_GETCURSEL, 0, 0)));
    for (int i = 0; i < count; ++i) {
      wchar_t text[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      ::SendMessageW(window, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      out += " [" + host::Utf8(text) + "]";
    }
  } else if (lstrcmpiW(name, WC_LISTVIEWW) == 0) {
    out = Format(" ext=%08lx",
                 static_cast<unsigned long>(::SendMessageW(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    for (int i = 0;; ++i) {
      wchar_t text[64] = {};
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = text;
      column.cchTextMax = 64;
      if (!::SendMessageW(window, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) break;
      out += Format(" [%s %d]", host::Utf8(text).c_str(), column.cx);
    }
  } else if (lstrcmpiW(name, L"Static") == 0 &&
             (::GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    out = ::SendMessageW(window, STM_GETICON, 0, 0) ? " icon" : " no-icon";
  }
  return out;
}

void Dump(HWND window, HWND form, int depth, std::vector<std::string>& lines) {
  RECT bounds;
  ::GetWindowRect(window, &bounds);
  if (window != form)
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
  lines.push_back(
      Format("%*s%s id=%d style=%08lx ex=%08lx (%ld,%ld %ldx%ld) %s%s \"%s\" font=%s%s", depth * 2, "",
             ClassRole(window).c_str(), window == form ? 0 : ::GetDlgCtrlID(window),
             static_cast<unsigned long>(::GetWindowLongW(window, GWL_STYLE)),
             static_cast<unsigned long>(::GetWindowLongW(window, GWL_EXSTYLE)), bounds.left, bounds.top,
             bounds.right - bounds.left, bounds.bottom - bounds.top,
             ::IsWindowVisible(window) ? "shown" : "hidden", ::GetFocus() == window ? " focus" : "",
             Text(window).c_str(), FontOf(window).c_str(), Contents(window).c_str()));
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    Dump(child, form, depth + 1, lines);
  }
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
  const std::wstring full = path;
  const size_t last = full.find_last_of(L'\\');
  const size_t before =
      last == std::wstring::npos || last == 0 ? std::wstring::npos : full.find_last_of(L'\\', last - 1);
  return host::Utf8(before == std::wstring::npos ? path : path + before + 1);
}

std::vector<std::string> DumpTree(HWND form) {
  std::vector<std::string> lines;
  Dump(form, form, 0, lines);
  return lines;
}

}  // namespace bench
