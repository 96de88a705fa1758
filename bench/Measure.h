// Clock, order statistics and the paint probe shared by both dialogs, so
// that both are timed by the same code.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace bench {

// QueryPerformanceCounter ticks.
LONGLONG Now();
double Micros(LONGLONG ticks);
LONGLONG TicksPerSecond();

struct Summary {
  double median = 0;
  double p90 = 0;
};
// Nearest-rank median and 90th percentile; zeros for no samples.
Summary Summarise(std::vector<double> samples);

// Finds the first moment after a dialog's activation at which the thread has
// no WM_PAINT left to hand out, i.e. the dialog and every visible child have
// painted. It sees each message the modal loop retrieves, before dispatch:
// retrieving a message means the previous one has been handled. After each
// WM_PAINT it posts a marker, which (posted messages outrank WM_PAINT) is
// retrieved right after that paint ends; re-posting on anything else would
// starve WM_PAINT forever.
class PaintProbe {
 public:
  PaintProbe();
  ~PaintProbe();
  PaintProbe(const PaintProbe&) = delete;
  PaintProbe& operator=(const PaintProbe&) = delete;

  // Arms the probe for `form`; `onPainted` runs once, at the moment found.
  void Start(HWND form, std::function<void()> onPainted);
  // Called by the modal loop for every retrieved message.
  void OnRetrieved(const MSG& message);

  bool Armed() const { return armed_; }
  LONGLONG PaintedAt() const { return paintedAt_; }
  bool TimedOut() const { return timedOut_; }
  // Windows of the form's tree that still had an update region at the
  // moment found (checked after the time was taken); 0 when the definition
  // holds.
  int StillInvalidAtMoment() const { return stillInvalid_; }

 private:
  static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD);
  void Finish(LONGLONG at);

  static inline PaintProbe* current_ = nullptr;
  HWND form_ = nullptr;
  std::function<void()> onPainted_;
  UINT_PTR watchdog_ = 0;
  LONGLONG paintedAt_ = 0;
  int stillInvalid_ = 0;
  bool armed_ = false;
  bool timedOut_ = false;
};

// The private message the probe posts; the loops let it pass as a no-op.
constexpr UINT kProbeMarker = WM_APP + 0x2A1;

// Visible windows of `root`'s tree (root included) with a non-empty update
// region.
int InvalidWindowsIn(HWND root);

// Dispatches the thread's messages until none has arrived for `quietMs`, so
// that one run's leftovers never land in the next run's figures.
void Settle(DWORD quietMs = 3);

}  // namespace bench
