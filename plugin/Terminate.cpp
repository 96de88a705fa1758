// The library's terminate handler. The runtime's default one names the
// escaping exception's type on standard error, which a GUI host does not
// have, and links the whole C++ name demangler (about 40 KB) into the
// library for it. Every entry catches what it can throw, so this runs only
// if that promise is broken.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
