// System answers of the test's choosing for the activation pass, put in
// place of the real queries through the dialog's query table.
#pragma once

#include <cstdint>
#include <string>

#include "dialog/SystemQueries.h"

namespace gather_test {

struct FakeAnswers {
  dialog::OsVersion version{10, 0, 0x12344A65, 2};
  dialog::ProcessorRecord processor{0, 586};
  uint16_t nativeMachine = 0x8664;  // a 32-bit program on x64
  dialog::MemoryCounts memory{200 * 1024 * 1024ull, 50 * 1024 * 1024ull, 400 * 1024 * 1024ull,
                              100 * 1024 * 1024ull};
  bool nineX = false;
  dialog::NameResult computer{true, "BUILDHOST"};
  dialog::NameResult user{true, "tester"};
  // The library scan's: no folders unless a test names them.
  std::string hostProgram;
  std::string systemFolder;
};

// What the fake queries answer; a test sets it before the pass.
inline FakeAnswers fake;

// The fake queries for the lifetime of the object, the real ones after.
class FakeQueries {
 public:
  FakeQueries() {
    fake = FakeAnswers{};
    dialog::SetQueriesForTesting(&kTable);
  }
  ~FakeQueries() { dialog::SetQueriesForTesting(nullptr); }
  FakeQueries(const FakeQueries&) = delete;
  FakeQueries& operator=(const FakeQueries&) = delete;

 private:
  static constexpr dialog::SystemQueries kTable = {
      [] { return fake.version; },     [] { return fake.processor; },    [] { return fake.memory; },
      [] { return fake.nineX; },       [] { return fake.computer; },     [] { return fake.user; },
      [] { return fake.hostProgram; }, [] { return fake.systemFolder; }, [] { return fake.nativeMachine; },
  };
};

}  // namespace gather_test
