// Report-style list (SysListView32): columns with header and width, rows of
// a caption and sub-items, whole-row selection.
#pragma once

#include <initializer_list>
#include <string>

#include "toolkit/Control.h"

namespace toolkit {

class TListView : public TControl {
 public:
  using Args = TBoxArgs;

  explicit TListView(const Args& args);

  void AddColumn(const char* header, int width);
  // Appends a row with image index 0; returns its index.
  int AddRow(const char* caption, std::initializer_list<const char*> subItems = {});
  void SetSubItem(int row, int column, const char* text);
  int RowCount() const;
  int ImageIndex(int row) const;
  void Clear();
  std::string ItemText(int row, int column) const;

 private:
  int columns_ = 0;
};

}  // namespace toolkit
