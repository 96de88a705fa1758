#include "toolkit/ListView.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <commctrl.h>

#include <stdexcept>

namespace toolkit {

TListView::TListView(const Args& args) {
  CreateHandle({.className = WC_LISTVIEWW,
                .style = WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
                .exStyle = WS_EX_CLIENTEDGE,
                .box = args});
  ::SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void TListView::AddColumn(const char* header, int width) {
  const int index = columns_++;
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(header ? header : "");
  column.cx = width;
  column.iSubItem = index;
  ::SendMessageA(Handle(), LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

int TListView::AddRow(const char* caption, std::initializer_list<const char*> subItems) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = RowCount();
  item.iImage = 0;
  item.pszText = const_cast<char*>(caption ? caption : "");
  const int row =
      static_cast<int>(::SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) throw std::runtime_error("Cannot add a list row");
  int column = 1;
  for (const char* text : subItems) SetSubItem(row, column++, text);
  return row;
}

void TListView::SetSubItem(int row, int column, const char* text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text ? text : "");
  ::SendMessageA(Handle(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int TListView::RowCount() const { return static_cast<int>(::SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

int TListView::ImageIndex(int row) const {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = -1;
  ::SendMessageA(Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

void TListView::Clear() { ::SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0); }

std::string TListView::ItemText(int row, int column) const {
  // The list answers with the length it copied; a text longer than the
  // buffer may come back without a terminator, so the buffer grows until the
  // text fits with room to spare and only the copied length is taken.
  std::vector<char> buffer(256);
  for (;;) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const LRESULT copied = ::SendMessageA(Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    const size_t length = copied < 0 ? 0 : static_cast<size_t>(copied);
    if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
      return std::string(buffer.data(), strnlen(buffer.data(), std::min(length, buffer.size())));
    }
    buffer.assign(buffer.size() * 4, '\0');
  }
}

}  // namespace toolkit
