// The stack measurement that the contract checks rely on must itself tell
// the calling conventions apart.
#include <gtest/gtest.h>

#include "host/CallProbe.h"

namespace {

uint32_t __stdcall Stdcall2(uint32_t a, uint32_t b) { return a * 10 + b; }
uint32_t __cdecl Cdecl2(uint32_t a, uint32_t b) { return a * 10 + b; }
__attribute__((regparm(1))) uint32_t Register1(uint32_t a) { return a + 1; }
uint32_t __stdcall Stdcall1(uint32_t a) { return a ^ 0xFF; }

}  // namespace

TEST(CallProbeTest, MeasuresWhatEachConventionRemoves) {
  const host::CallResult s = host::CallStdcall(reinterpret_cast<const void*>(&Stdcall2), 4u, 2u);
  EXPECT_EQ(s.value, 42u) << "arguments arrive in order";
  EXPECT_EQ(s.bytesRemoved, 8);

  const host::CallResult c = host::CallStdcall(reinterpret_cast<const void*>(&Cdecl2), 4u, 2u);
  EXPECT_EQ(c.value, 42u);
  EXPECT_EQ(c.bytesRemoved, 0) << "a cdecl callee leaves its arguments";

  const host::CallResult r = host::CallRegister(reinterpret_cast<const void*>(&Register1), 41u);
  EXPECT_EQ(r.value, 42u) << "the argument arrives in EAX";
  EXPECT_EQ(r.bytesRemoved, 0);

  const host::CallResult one = host::CallStdcall(reinterpret_cast<const void*>(&Stdcall1), 0x0Fu);
  EXPECT_EQ(one.value, 0xF0u);
  EXPECT_EQ(one.bytesRemoved, 4);
}
