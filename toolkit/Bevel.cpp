#include "toolkit/Bevel.h"

namespace toolkit {

TBevel::TBevel(const Args& args) {
  CreateHandle({.className = L"STATIC", .style = SS_OWNERDRAW, .box = args});
  ::SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TBevel::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_DRAWITEM) return false;
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  RECT frame = item->rcItem;
  ::DrawEdge(item->hDC, &frame, BDR_SUNKENOUTER, BF_RECT);
  result = TRUE;
  return true;
}

}  // namespace toolkit
