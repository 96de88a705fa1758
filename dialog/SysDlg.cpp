#include "dialog/SysDlg.h"

#include <stdexcept>
#include <string>

#include "dialog/SysDlgLayout.h"
#include "shared/LangTable.h"
#include "shared/NumberText.h"

namespace dialog {

TSysInfoDlg* SysInfoDlg = nullptr;

namespace {

const ControlLayout& Row(ControlId id) { return kSysDlgLayout[id - 1]; }

}  // namespace

TSysInfoDlg::TSysInfoDlg()
    : TForm({.caption = kStoredCaption,
             .encoding = toolkit::TextEncoding::Utf8,
             .clientWidth = kClientWidth,
             .clientHeight = kClientHeight,
             .designTexts = FittedLabelTexts()}) {
  BuildControls();
  BindFields();
  onCreate = [this] { FormCreate(); };
  onActivate = [this] { FormActivate(); };
  onCopy = [this] { FormCopy(); };
  SysPageControl->onChange = [this] { SysPageControlChange(); };
  OKBtn->onClick = [this] { OKBtnClick(); };
  DoCreate();
}

void TSysInfoDlg::BuildControls() {
  // Containers before what they hold: the page control, its pages in tab
  // order, then every other control in the order its page reads. Windows
  // keep their siblings in the order they were made, and a screen reader
  // walks a page in that order: each value then follows its prompt. On the
  // form that order is the tab order (the page control before OK).
  Create(Row(id_SysPageControl));
  for (ControlId page : kPageOrder) Create(Row(page));
  for (ControlId id : ReadingOrder()) {
    if (Row(id).kind != ControlKind::PageControl && Row(id).kind != ControlKind::TabSheet) Create(Row(id));
  }
}

toolkit::TControl& TSysInfoDlg::Create(const ControlLayout& row) {
  if (row.id == failAtControlForTesting) {
    throw std::runtime_error("Cannot create control " + shared::DecimalText(row.id));
  }
  const toolkit::TBoxArgs box{.parent = row.parent == kNoControl ? Handle() : controls_[row.parent]->Handle(),
                              .id = row.id,
                              .x = row.left,
                              .y = row.top,
                              .w = row.width,
                              .h = row.height,
                              .visible = !(row.flags & kHidden)};
  toolkit::TControl* made = nullptr;
  switch (row.kind) {
    case ControlKind::PageControl:
      made = &Add<toolkit::TPageControl>(box);
      break;
    case ControlKind::TabSheet:
      made = &static_cast<toolkit::TPageControl*>(controls_[row.parent])
                  ->AddPage({.id = row.id,
                             .caption = row.text,
                             .encoding = EncodingOf(row),
                             .tabVisible = !(row.flags & kTabHidden)});
      break;
    case ControlKind::Label:
      made = &Add<toolkit::TLabel>(
          {.box = box,
           .text = row.text,
           .encoding = EncodingOf(row),
           .autoSize = !(row.flags & kFixedSize),
           .align = (row.flags & kCentred) ? toolkit::TLabel::Align::Centre : toolkit::TLabel::Align::Left,
           .wordWrap = (row.flags & kWordWrap) != 0});
      break;
    case ControlKind::Image:
      made = &Add<toolkit::TImage>({.parent = box.parent,
                                    .id = row.id,
                                    .x = row.left,
                                    .y = row.top,
                                    .module = toolkit::ToolkitModule(),
                                    .iconId = row.icon,
                                    .visible = box.visible});
      break;
    case ControlKind::Bevel:
      made = &Add<toolkit::TBevel>(box);
      break;
    case ControlKind::ListView: {
      auto& list = Add<toolkit::TListView>(box);
      for (const ListColumn& column : kVerListColumns) list.AddColumn(column.header, column.width);
      made = &list;
      break;
    }
    case ControlKind::Button:
      made = &Add<toolkit::TButton>({.box = box, .text = row.text, .encoding = EncodingOf(row)});
      break;
  }
  controls_[row.id] = made;
  return *made;
}

void TSysInfoDlg::BindFields() {
#define ZX_BIND_FIELD(kind, name, ...) name = static_cast<toolkit::T##kind*>(controls_[id_##name]);
  ZX_SYSDLG_CONTROLS(ZX_BIND_FIELD)
#undef ZX_BIND_FIELD
}

toolkit::TControl* TSysInfoDlg::Control(int id) const {
  return id >= 1 && id <= kControlCount ? controls_[id] : nullptr;
}

void TSysInfoDlg::FormCreate() { SetCaptions(); }

void TSysInfoDlg::RestoreStoredLabels() {
  for (const ControlLayout& row : kSysDlgLayout) {
    if (row.kind != ControlKind::Label) continue;
    controls_[row.id]->SetText(row.text, EncodingOf(row));
    controls_[row.id]->SetVisible(!(row.flags & kHidden));
  }
  SetCaptions();
}

void TSysInfoDlg::SetCaptions() {
  SetCaption(shared::sSysInfoCaption.c_str());
  WinTabSheet->SetText(shared::sWinSheet.c_str());
  lbWinTitle->SetText(shared::sWinTitle.c_str());
  SysTabSheet->SetText(shared::sSysSheet.c_str());
  lbSysTitle->SetText(shared::sSysTitle.c_str());
  MemTabSheet->SetText(shared::sMemSheet.c_str());
  lbMemTitle->SetText(shared::sMemTitle.c_str());
  LibVerSheet->SetText(shared::sLibSheet.c_str());
  lbSysLibTitle->SetText(shared::sLibTitle.c_str());
}

void TSysInfoDlg::OKBtnClick() { SetModalResult(toolkit::kModalResultCancel); }

void TSysInfoDlg::SysPageControlChange() {
  if (SysPageControl->ActivePage() == LibVerSheet) BuildLibraryList();
}

// BuildLibraryList lives in SysDlgLibraryList.cpp.

}  // namespace dialog
