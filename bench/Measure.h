// Clock, order statistics, the rounds every benchmark runs its sides in and
// the rows it prints, and the paint probe shared by both dialogs, so that
// every figure is taken and shown by the same code.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace bench {

// QueryPerformanceCounter ticks.
LONGLONG Now();
double Micros(LONGLONG ticks);
LONGLONG TicksPerSecond();

// The microseconds `work` takes.
template <typename Work>
double Time(Work&& work) {
  const LONGLONG start = Now();
  work();
  return Micros(Now() - start);
}

struct Summary {
  double median = 0;
  double p90 = 0;
};
// Nearest-rank median and 90th percentile; zeros for no samples.
Summary Summarise(std::vector<double> samples);

// `warmup` rounds, then `rounds` recorded ones; each round runs every side
// once in `order`, which starts with another side each round, so that drift
// in the machine's load hits all sides alike.
using RoundRun = std::function<void(const std::vector<int>& order, bool recorded)>;
void Rounds(int warmup, int rounds, int sides, const RoundRun& run);
// The same for sides that each give one time: the recorded times, by side.
std::vector<std::vector<double>> TimeSides(int warmup, int rounds,
                                           const std::vector<std::function<double()>>& sides);

// A figure's median and 90th percentile, and for a figure against its
// baseline the baseline's too and the ratio of the medians, with its target
// where it has one (0: none). A row given the baseline's name goes into the
// table scripts/bench-table.py prints, under the row's title.
void PrintHeading();
void PrintRow(const char* title, const std::vector<double>& samples);
void PrintPair(const char* title, const std::vector<double>& ours, const std::vector<double>& base,
               double target = 0, const char* baseline = nullptr);
// The same for sides timed in the same rounds, where the ratio is the median
// of each round's own: a round the whole machine ran slow or fast then moves
// both of its sides alike, where the medians of the sides come from
// different rounds.
void PrintRoundPair(const char* title, const std::vector<double>& ours, const std::vector<double>& base,
                    double target = 0, const char* baseline = nullptr);

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

// Dispatches the thread's messages until none has arrived for `quietMs`, so
// that one run's leftovers never land in the next run's figures.
void Settle(DWORD quietMs = 3);

}  // namespace bench
