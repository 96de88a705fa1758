// Calls a plug-in entry the way the host does and measures what the callee
// removed from the stack, so a wrong calling convention shows up as a number
// instead of a corrupted caller.
#pragma once

#include <cstdint>

namespace host {

struct CallResult {
  uint32_t value;        // EAX after the call
  int32_t bytesRemoved;  // ESP after the call minus ESP just before it
};

extern "C" uint32_t zx_call_measured(const void* fn, uint32_t eax, const uint32_t* args, uint32_t count,
                                     int32_t* bytesRemoved);

// Pushes args[count-1] .. args[0] (so args[0] ends up first, as stdcall and
// cdecl expect), loads `eax`, calls `fn` and restores the stack whatever the
// callee removed.
inline CallResult CallMeasured(const void* fn, uint32_t eax, const uint32_t* args, uint32_t count) {
  CallResult r{};
  r.value = zx_call_measured(fn, eax, args, count, &r.bytesRemoved);
  return r;
}

// The host's register convention: the one argument in EAX, none on the stack.
inline CallResult CallRegister(const void* fn, uint32_t eax) { return CallMeasured(fn, eax, nullptr, 0); }

template <typename... Args>
CallResult CallStdcall(const void* fn, Args... args) {
  const uint32_t list[] = {static_cast<uint32_t>(args)..., 0};
  return CallMeasured(fn, 0, list, sizeof...(Args));
}

}  // namespace host
