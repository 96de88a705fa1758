// Tabbed pages: a SysTabControl32 strip with one container window per page
// inside it. A page whose tab is hidden is left out of the strip entirely,
// so clicks, arrow keys and Ctrl+Tab cannot reach it, yet it keeps existing
// with its controls. Page indexes count every page; tab indexes count only
// the pages in the strip.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

class TPageControl;

// One page: parent of the page's controls; its window text is its caption.
class TTabSheet : public TControl {
 public:
  struct Args {
    int id = 0;
    const char* caption = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    bool tabVisible = true;
  };

  TTabSheet(TPageControl& owner, const Args& args);

  void SetText(const char* text, TextEncoding encoding = TextEncoding::Ansi) override;
  bool TabVisible() const { return tabVisible_; }
  TPageControl& Owner() const { return owner_; }
  // Takes the strip's font; the strip places its pages.
  void Relayout() override;

  // The window procedure of the page class (registered by PrepareForms).
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  friend class TPageControl;

  TPageControl& owner_;
  bool tabVisible_;
  RECT bounds_;  // as last placed, in the strip's client area
  HFONT font_ = nullptr;
};

class TPageControl : public TControl {
 public:
  using Args = TBoxArgs;

  explicit TPageControl(const Args& args);
  ~TPageControl() override;

  // The first page added becomes the active one.
  TTabSheet& AddPage(const TTabSheet::Args& args);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
  int IndexOf(const TTabSheet& page) const;

  TTabSheet* ActivePage() const { return active_ < 0 ? nullptr : pages_[static_cast<size_t>(active_)].get(); }
  // From code: no change event.
  void SetActivePage(TTabSheet& page);
  void SetTabVisible(TTabSheet& page, bool visible);

  // Tab index of a page, -1 for a page without a tab; and back.
  int TabIndexOf(int pageIndex) const;
  int PageIndexOfTab(int tabIndex) const;

  // Next or previous page that has a tab, wrapping, as if the user chose it.
  void SelectNextPage(bool forward);

  // After the user selected a page; the page is already the active one.
  std::function<void()> onChange;

  bool OnDialogKey(WPARAM key) override;
  bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void ForgetHandle() override;
  // With its pages, whose display area the new font's tabs move.
  void Relayout() override;

 private:
  friend class TTabSheet;
  void Activate(int pageIndex);
  void UpdateTab(const TTabSheet& page);
  // Where the strip shows its pages, in its client area.
  RECT DisplayRect() const;
  void LayoutPages();
  void SelectByUser(int pageIndex);

  std::vector<std::unique_ptr<TTabSheet>> pages_;
  int active_ = -1;
};

}  // namespace toolkit
