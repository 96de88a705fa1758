#include "bench/Measure.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

constexpr UINT kWatchdogMs = 10000;

bool PaintPending() { return (HIWORD(::GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0; }

void CountInvalid(HWND window, int& count) {
  if (!::IsWindowVisible(window)) return;
  if (::GetUpdateRect(window, nullptr, FALSE)) ++count;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    CountInvalid(child, count);
  }
}

}  // namespace

LONGLONG Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

LONGLONG TicksPerSecond() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return frequency;
}

double Micros(LONGLONG ticks) {
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(TicksPerSecond());
}

Summary Summarise(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  const size_t n = samples.size();
  // Nearest rank: the smallest sample with at least p% of the samples at or below it.
  auto rank = [&](double p) {
    const size_t r = static_cast<size_t>(std::ceil(p * static_cast<double>(n)));
    return samples[std::clamp<size_t>(r, 1, n) - 1];
  };
  const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return {median, rank(0.9)};
}

int InvalidWindowsIn(HWND root) {
  int count = 0;
  CountInvalid(root, count);
  return count;
}

void Settle(DWORD quietMs) {
  for (;;) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs, QS_ALLINPUT) == WAIT_TIMEOUT) return;
  }
}

PaintProbe::PaintProbe() { current_ = this; }

PaintProbe::~PaintProbe() {
  if (watchdog_) ::KillTimer(nullptr, watchdog_);
  current_ = nullptr;
}

void PaintProbe::Start(HWND form, std::function<void()> onPainted) {
  form_ = form;
  onPainted_ = std::move(onPainted);
  paintedAt_ = 0;
  stillInvalid_ = 0;
  timedOut_ = false;
  armed_ = true;
  // Nothing may be pending at all (then the marker finds that at once).
  ::PostThreadMessageW(::GetCurrentThreadId(), kProbeMarker, 0, 0);
  // A window that never stops asking for paint must not hang the benchmark.
  watchdog_ = ::SetTimer(nullptr, 0, kWatchdogMs, Watchdog);
}

void PaintProbe::OnRetrieved(const MSG& message) {
  if (!armed_) return;
  const LONGLONG at = Now();
  if (message.message == WM_PAINT) {
    ::PostThreadMessageW(::GetCurrentThreadId(), kProbeMarker, 0, 0);
    return;
  }
  if (!PaintPending()) Finish(at);
}

void PaintProbe::Finish(LONGLONG at) {
  armed_ = false;
  paintedAt_ = at;
  if (watchdog_) {
    ::KillTimer(nullptr, watchdog_);
    watchdog_ = 0;
  }
  stillInvalid_ = ::IsWindow(form_) ? InvalidWindowsIn(form_) : 0;
  if (onPainted_) onPainted_();
}

void CALLBACK PaintProbe::Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (!current_ || !current_->armed_) return;
  current_->timedOut_ = true;
  current_->Finish(Now());
}

}  // namespace bench
