// The library list: the scan run into lvVerList when its page is selected.
#include "dialog/LibraryScan.h"
#include "dialog/SysDlg.h"
#include "toolkit/Application.h"

namespace dialog {

namespace {

// Rows of lvVerList, each followed by a round of pending messages so the
// list repaints and the dialog answers input while the scan goes on.
class TVerListSink final : public TLibraryRowSink {
 public:
  explicit TVerListSink(toolkit::TListView& list) : list_(list) {}

  void AppendRow(const char* fileName, const verinfo::TVersionInfo& reader) override {
    const int row = list_.AddRow(fileName);
    reader.ProductNameText(text_);
    list_.SetSubItem(row, 1, text_.c_str());
    reader.LegalCopyrightText(text_);
    list_.SetSubItem(row, 2, text_.c_str());
    reader.FileVersionText(text_);
    list_.SetSubItem(row, 3, text_.c_str());
    reader.ProductVersionText(text_);
    list_.SetSubItem(row, 4, text_.c_str());
    // Asking first spares an empty queue the full retrieval, which under
    // Wine also gives up the processor; most rows find nothing waiting.
    if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) toolkit::Application->ProcessMessages();
  }

 private:
  toolkit::TListView& list_;
  // One text for every sub-item: its storage grows once, not per file.
  std::string text_;
};

}  // namespace

void TSysInfoDlg::BuildLibraryList() {
  // Also refuses a selection of the page while a scan dispatches messages:
  // the flag that ends scans is only set when one finishes.
  if (FVerListBuilt || FScanRunning) return;
  FScanRunning = true;
  struct TRunningReset {
    bool& running;
    ~TRunningReset() { running = false; }
  } runningReset{FScanRunning};
  // The busy cursor while the scan runs, the default one after it, an
  // escaping error included.
  toolkit::TBusyCursor cursor;
  // A later activation clears the flag; the rebuild then starts afresh
  // instead of listing every file a second time.
  lvVerList->Clear();
  TVerListSink sink(*lvVerList);
  ScanLibraries(sink);
  FVerListBuilt = true;
}

}  // namespace dialog
