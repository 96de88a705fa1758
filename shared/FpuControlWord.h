// Keeps the calling thread's x87 control word across a scope. The host runs
// with its own precision and exception masks; library start-up and shut-down
// must hand them back unchanged whatever the code in between does.
#pragma once

#include <cstdint>

namespace shared {

inline uint16_t ReadFpuControlWord() {
  uint16_t word;
  __asm__ __volatile__("fnstcw %0" : "=m"(word));
  return word;
}

inline void WriteFpuControlWord(uint16_t word) { __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(word)); }

class KeepFpuControlWord {
 public:
  KeepFpuControlWord() : saved_(ReadFpuControlWord()) {}
  ~KeepFpuControlWord() { WriteFpuControlWord(saved_); }
  KeepFpuControlWord(const KeepFpuControlWord&) = delete;
  KeepFpuControlWord& operator=(const KeepFpuControlWord&) = delete;

 private:
  uint16_t saved_;
};

}  // namespace shared
