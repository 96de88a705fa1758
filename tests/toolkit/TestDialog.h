// A miniature of the real dialog's shape built through the toolkit's
// argument structs: a page control with five pages (the last two without
// tabs), a label and a frame on the first page, a list on the last, and a
// push button below.
#pragma once

#include "toolkit/Bevel.h"
#include "toolkit/Button.h"
#include "toolkit/Form.h"
#include "toolkit/FormSupport.h"
#include "toolkit/Label.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"

namespace toolkit_test {

using namespace toolkit;

struct TestDialog {
  TForm form{{.caption = "System information", .clientWidth = 360, .clientHeight = 392, .designTexts = {}}};
  TPageControl& pages =
      form.Add<TPageControl>({.parent = form.Handle(), .id = 1, .x = 8, .y = 8, .w = 344, .h = 349});
  TTabSheet& winSheet = pages.AddPage({.id = 2, .caption = "Windows"});
  TTabSheet& sysSheet = pages.AddPage({.id = 3, .caption = "System"});
  TTabSheet& memSheet = pages.AddPage({.id = 4, .caption = "Memory"});
  TTabSheet& netSheet = pages.AddPage({.id = 5, .caption = "Network", .tabVisible = false});
  TTabSheet& libSheet = pages.AddPage({.id = 6, .caption = "Libraries", .tabVisible = false});
  TLabel& prompt =
      form.Add<TLabel>({.box = {.parent = winSheet.Handle(), .id = 7, .x = 21, .y = 67, .w = 69, .h = 13},
                        .text = "Product name:"});
  TLabel& netValue =
      form.Add<TLabel>({.box = {.parent = netSheet.Handle(), .id = 8, .x = 115, .y = 64, .w = 65, .h = 13},
                        .text = "lblCompName"});
  TBevel& frame =
      form.Add<TBevel>({.parent = winSheet.Handle(), .id = 9, .x = 8, .y = 56, .w = 321, .h = 257});
  TListView& list =
      form.Add<TListView>({.parent = libSheet.Handle(), .id = 10, .x = 8, .y = 56, .w = 321, .h = 257});
  TButton& ok = form.Add<TButton>(
      {.box = {.parent = form.Handle(), .id = 11, .x = 270, .y = 362, .w = 81, .h = 25}, .text = "OK"});

  TestDialog() {
    ok.onClick = [this] { form.SetModalResult(kModalResultCancel); };
  }
  // The scale the form's controls are laid out at.
  LayoutScale Scale() const {
    return LayoutScaleOf(reinterpret_cast<HFONT>(::SendMessageW(form.Handle(), WM_GETFONT, 0, 0)));
  }
};

}  // namespace toolkit_test
