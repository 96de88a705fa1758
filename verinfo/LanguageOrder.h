// The order in which the languages of a resource are tried.
#pragma once

#include <windows.h>

namespace verinfo {

constexpr int kMaxResourceLanguages = 6;

// The loader's order for a resource asked for without a language (what
// FindResource does, and so the version library through it): neutral, the
// user's UI language, then its primary language with a neutral sublanguage,
// the system's default UI language and its neutral form, US English. Each
// language once; when none is present, the first entry is taken. Returns
// how many were written to `list`.
int ResourceLanguageOrder(WORD (&list)[kMaxResourceLanguages]);

}  // namespace verinfo
