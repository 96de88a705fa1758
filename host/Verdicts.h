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
  int Failed() const { return failed_; }
  // "PASS: 3 checks, 3 passed, 0 failed", FAIL when any failed.
  std::string Summary() const {
    return std::string(failed_ ? "FAIL" : "PASS") + ": " + std::to_string(passed_ + failed_) + " checks, " +
           std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed";
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
