#include "verinfo/LanguageOrder.h"

namespace verinfo {

int ResourceLanguageOrder(WORD (&list)[kMaxResourceLanguages]) {
  int count = 0;
  const auto push = [&](WORD language) {
    for (int i = 0; i < count; ++i)
      if (list[i] == language) return;
    list[count++] = language;
  };
  const LANGID user = ::GetUserDefaultUILanguage();
  const LANGID system = ::GetSystemDefaultUILanguage();
  push(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  push(user);
  push(MAKELANGID(PRIMARYLANGID(user), SUBLANG_NEUTRAL));
  push(system);
  push(MAKELANGID(PRIMARYLANGID(system), SUBLANG_NEUTRAL));
  push(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  return count;
}

}  // namespace verinfo
