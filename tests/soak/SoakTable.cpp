#include "tests/soak/SoakTable.h"

#include "bench/Measure.h"
#include "shared/NumberText.h"

#include <windows.h>

#include <malloc.h>

#include <algorithm>

namespace soak {

namespace {

long Kb(SIZE_T bytes) { return static_cast<long>(bytes / 1024); }

std::string Signed(long value) { return (value >= 0 ? "+" : "") + std::to_string(value); }

long BusyKb(HANDLE heap) {
  const long long busy = host::HeapBusyBytes(heap);
  return busy < 0 ? -1 : static_cast<long>(busy / 1024);
}

}  // namespace

std::string Hex(unsigned long value, int digits) { return "0x" + shared::HexText(value, digits); }

SoakTable::SoakTable(std::string unit, int count, int fullCount, bool withRows)
    : unit_(std::move(unit)), count_(count), fullCount_(fullCount), withRows_(withRows) {}

void SoakTable::Run(const std::function<int(int cycle)>& cycle) {
  std::printf("one warm-up %s before %s 0: first-use set-ups are not leaks\n", unit_.c_str(), unit_.c_str());
  int rows = cycle(0);
  start_ = ::GetTickCount64();
  PrintHeader();
  Take(0, rows);
  const int step = std::max(1, count_ / 10);
  for (int done = 1; done <= count_; ++done) {
    rows = cycle(done);
    if (done % step == 0 || done == count_) Take(done, rows);
  }
}

void SoakTable::Fail(int cycle, const std::string& what) {
  if (failures_++ == 0)
    firstFailure_ = (cycle == 0 ? "warm-up " : "") + unit_ + " " + std::to_string(cycle) + ": " + what;
}

void SoakTable::Take(int done, int rows) {
  // Windows destroyed during the cycle may still have messages queued.
  bench::Settle(20);
  Sample sample;
  sample.done = done;
  sample.rows = rows;
  sample.counters = host::SampleCounters();
  sample.crtKb = BusyKb(host::CrtHeap());
  sample.processKb = BusyKb(::GetProcessHeap());
  sample.seconds = static_cast<double>(::GetTickCount64() - start_) / 1000.0;
  samples_.push_back(sample);
  PrintRow(sample);
}

void SoakTable::PrintHeader() const {
  std::printf("%8s %9s %8s %8s %6s %12s %12s %11s %11s", unit_.c_str(), "top-level", "windows", "handles",
              "GDI", "working-set", "pagefile", "crt-heap", "proc-heap");
  if (withRows_) std::printf(" %6s", "rows");
  std::printf(" %8s\n", "seconds");
  std::fflush(stdout);
}

void SoakTable::PrintRow(const Sample& s) const {
  const host::ProcessCounters& c = s.counters;
  std::printf("%8d %9ld %8ld %8ld %6ld %9ld KB %9ld KB %8ld KB %8ld KB", s.done, c.topLevelWindows,
              c.allWindows, c.kernelHandles, c.gdiObjects, Kb(c.workingSet), Kb(c.pagefileUsage), s.crtKb,
              s.processKb);
  if (withRows_) std::printf(" %6d", s.rows);
  std::printf(" %8.1f\n", s.seconds);
  std::fflush(stdout);
}

void SoakTable::JudgeCounters(Verdicts& verdicts, const std::string& part) const {
  if (samples_.size() < 2) {
    verdicts.Judge(false, part + ": fewer than two samples, nothing to compare");
    return;
  }
  const Sample& first = samples_.front();
  const Sample& last = samples_.back();
  const auto peak = [&](auto field) {
    long value = field(first.counters);
    for (const Sample& s : samples_) value = std::max(value, static_cast<long>(field(s.counters)));
    return value;
  };
  // The first tenth fills caches and heaps; growth after it is what leaks.
  const Sample& base = samples_.size() > 2 ? samples_[1] : first;
  const auto growth = [&](auto field) {
    long most = 0;
    for (const Sample& s : samples_)
      if (s.done >= base.done) most = std::max(most, field(s) - field(base));
    return most;
  };
  const std::string span = " at " + unit_ + " 0, at most ";
  const std::string through = " through " + unit_ + " " + std::to_string(last.done);

  const long topPeak = peak([](const host::ProcessCounters& c) { return c.topLevelWindows; });
  const long allPeak = peak([](const host::ProcessCounters& c) { return c.allWindows; });
  verdicts.Judge(topPeak <= first.counters.topLevelWindows && allPeak <= first.counters.allWindows,
                 part + " windows: " + std::to_string(first.counters.topLevelWindows) + " top-level / " +
                     std::to_string(first.counters.allWindows) + " in all" + span + std::to_string(topPeak) +
                     " / " + std::to_string(allPeak) + through + " (no growth allowed)");

  if (first.counters.kernelHandles < 0) {
    verdicts.Judge(false, part + " kernel handles: cannot be counted here");
  } else {
    const long handlePeak = peak([](const host::ProcessCounters& c) { return c.kernelHandles; });
    verdicts.Judge(handlePeak <= first.counters.kernelHandles,
                   part + " kernel handles: " + std::to_string(first.counters.kernelHandles) + span +
                       std::to_string(handlePeak) + through + " (no growth allowed)");
  }

  if (first.counters.gdiObjects >= 0) {
    const long gdiPeak = peak([](const host::ProcessCounters& c) { return c.gdiObjects; });
    verdicts.Info(part + " GDI objects: " + std::to_string(first.counters.gdiObjects) + span +
                  std::to_string(gdiPeak) + through + " (not a target)");
  }

  const long wsGrowth = growth([](const Sample& s) { return Kb(s.counters.workingSet); });
  const long pfGrowth = growth([](const Sample& s) { return Kb(s.counters.pagefileUsage); });
  const std::string memory =
      part + " memory after " + unit_ + " " + std::to_string(base.done) + ": working set at most " +
      Signed(wsGrowth) + " KB, pagefile at most " + Signed(pfGrowth) + " KB (limit +" +
      std::to_string(kMemoryToleranceKb) + " KB); over the whole run " +
      Signed(Kb(last.counters.workingSet) - Kb(first.counters.workingSet)) + " / " +
      Signed(Kb(last.counters.pagefileUsage) - Kb(first.counters.pagefileUsage)) + " KB";
  if (count_ * 2 < fullCount_) {
    verdicts.Info(memory + "; not judged: " + std::to_string(count_) + " " + unit_ +
                  "s are too few to tell a leak from heap growth (judged from " +
                  std::to_string((fullCount_ + 1) / 2) + ")");
  } else {
    verdicts.Judge(wsGrowth <= kMemoryToleranceKb && pfGrowth <= kMemoryToleranceKb, memory);
  }
  verdicts.Info(part + " heap bytes in use after " + unit_ + " " + std::to_string(base.done) +
                ": C runtime heap at most " + Signed(growth([](const Sample& s) { return s.crtKb; })) +
                " KB, process heap at most " + Signed(growth([](const Sample& s) { return s.processKb; })) +
                " KB (where growth comes from; not a target)");
}

}  // namespace soak
