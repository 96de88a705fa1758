// PASS and FAIL lines, one a check, counted for the line that ends a run:
// what pdlhost --check and the soak print.
#pragma once

#include <cstdio>
#include <string>

namespace host {

class Verdicts {
 public:
  explicit Verdicts(FILE* out) : out_(out) {}

  void Judge(bool pass, const std::string& text) {
    Print(pass ? "PASS" : "FAIL", text);
    ++(pass ? passed_ : failed_);
  }
  // A figure beside the checks that is not one.
  void Info(const std::string& text) { Print("INFO", text); }
  // Ends the run with "PASS: 3 checks, 3 passed, 0 failed" (FAIL when any
  // failed) and `after`; the number failed.
  int Finish(const std::string& after = {}) {
    std::fprintf(out_, "%s: %d checks, %d passed, %d failed%s\n", failed_ ? "FAIL" : "PASS",
                 passed_ + failed_, passed_, failed_, after.c_str());
    return failed_;
  }

 private:
  void Print(const char* mark, const std::string& text) {
    std::fprintf(out_, "%s %s\n", mark, text.c_str());
    std::fflush(out_);
  }

  FILE* out_;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace host
