// The stack protector's guard value and failure path, in place of the static
// libssp's: that one sets the guard from a constructor through a cryptographic
// service provider (CryptAcquireContext loads one, with its registry reads),
// which alone cost about half of the library's load.
#pragma once

namespace shared {

// Sets the guard once, before any guarded frame exists. Call it first from an
// image's entry point and never again while the image is loaded. With
// `systemRandom` the system's generator is mixed in too: only where
// advapi32 is already loaded (a library that imports it), since asking the
// loader for a module that is not there searches the program's folder and
// the system folders first (under Wine nearly a millisecond of a program's
// start).
void InitStackGuard(bool systemRandom);

}  // namespace shared
