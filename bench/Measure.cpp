#include "bench/Measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

namespace {

constexpr UINT kWatchdogMs = 10000;
// The private message the probe posts; a thread message no window handles.
constexpr UINT kProbeMarker = WM_APP + 0x2A1;

bool PaintPending() { return (HIWORD(::GetQueueStatus(QS_PAINT)) & QS_PAINT) != 0; }

// Visible windows of `window`'s tree (itself included) with a non-empty
// update region.
int InvalidWindowsIn(HWND window) {
  if (!::IsWindowVisible(window)) return 0;
  int count = ::GetUpdateRect(window, nullptr, FALSE) ? 1 : 0;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    count += InvalidWindowsIn(child);
  }
  return count;
}

// The title column, shared by the heading and every row.
constexpr int kTitleWidth = 60;

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

void Rounds(int warmup, int rounds, int sides, const RoundRun& run) {
  std::vector<int> order(sides);
  for (int round = 0; round < warmup + rounds; ++round) {
    for (int turn = 0; turn < sides; ++turn) order[turn] = (round + turn) % sides;
    run(order, round >= warmup);
  }
}

std::vector<std::vector<double>> TimeSides(int warmup, int rounds,
                                           const std::vector<std::function<double()>>& sides) {
  std::vector<std::vector<double>> times(sides.size());
  Rounds(warmup, rounds, static_cast<int>(sides.size()), [&](const std::vector<int>& order, bool recorded) {
    for (int side : order) {
      const double time = sides[side]();
      if (recorded) times[side].push_back(time);
    }
  });
  return times;
}

void PrintHeading() {
  std::printf("%-*s %11s %9s %11s %9s\n", kTitleWidth, "figure (microseconds)", "median", "p90",
              "base median", "p90");
}

void PrintRow(const char* title, const std::vector<double>& samples) {
  const Summary s = Summarise(samples);
  std::printf("%-*s %11.0f %9.0f\n", kTitleWidth, title, s.median, s.p90);
}

namespace {

void PrintRatio(const char* title, const std::vector<double>& ours, const std::vector<double>& base,
                double ratio, double target, const char* baseline) {
  const Summary o = Summarise(ours), b = Summarise(base);
  std::printf("%-*s %11.0f %9.0f %11.0f %9.0f   ratio %.2f", kTitleWidth, title, o.median, o.p90, b.median,
              b.p90, ratio);
  if (target > 0) std::printf(" (target <= %.2f) %s", target, ratio <= target ? "OK" : "MISSED");
  if (baseline) std::printf("  [%s]", baseline);
  std::printf("\n");
}

}  // namespace

void PrintPair(const char* title, const std::vector<double>& ours, const std::vector<double>& base,
               double target, const char* baseline) {
  const double baseMedian = Summarise(base).median;
  PrintRatio(title, ours, base, baseMedian > 0 ? Summarise(ours).median / baseMedian : 0, target, baseline);
}

void PrintRoundPair(const char* title, const std::vector<double>& ours, const std::vector<double>& base,
                    double target, const char* baseline) {
  std::vector<double> ratios;
  for (size_t i = 0; i < ours.size() && i < base.size(); ++i)
    if (base[i] > 0) ratios.push_back(ours[i] / base[i]);
  PrintRatio(title, ours, base, Summarise(ratios).median, target, baseline);
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
