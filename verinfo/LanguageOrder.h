// The order in which the languages of a resource are tried.
#pragma once

#include <windows.h>

namespace verinfo {

constexpr int kMaxResourceLanguages = 6;

// The order of the loader's lookup for a resource asked for without a
// language (LdrFindResource_U behind FindResource, which the version
// library uses for a module's version resource): neutral, the user's UI
// language, then its primary language with a neutral sublanguage, the
// system's default UI language and its neutral form, US English. Each
// language once; when none is present, the first data entry is taken.
// Returns how many were written to `list`.
int ResourceLanguageOrder(WORD (&list)[kMaxResourceLanguages]);

}  // namespace verinfo
