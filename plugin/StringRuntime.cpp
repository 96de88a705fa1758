// The few string members that the static C++ runtime's own objects call,
// defined in the library so that the linker never brings in the runtime's
// complete string instantiations for them.
//
// The PE linker keeps every unwind record (.eh_frame) and each record holds
// on to its function, so --gc-sections drops nothing from a runtime object
// once one of its symbols is needed: asking the runtime for one string
// member links all of its hundreds. The standard exception classes the
// library throws (runtime_error and its kin) keep their message in the old
// reference-counted string and call seven of its members
// (StringRuntimeOldAbi.cpp); the runtime's message and error-category code
// calls two of the current string's (here). Taken from the runtime they
// would bring in about 60 KB: both strings whole, and std::random_device,
// which comes with the old one. These are instantiated from the same
// headers, so they are the same code.
#include <string>

namespace std {

template string::pointer string::_M_create(string::size_type&, string::size_type);
template void string::_M_assign(const string&);

}  // namespace std
