// The reference-counted string's members that the runtime's exception
// classes call (why: StringRuntime.cpp). This file alone is built with the
// old string ABI, the only way to name that string; it defines nothing else.
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

namespace std {

template string::_Rep* string::_Rep::_S_create(string::size_type, string::size_type, const allocator<char>&);
template char* string::_Rep::_M_clone(const allocator<char>&, string::size_type);
template void string::_Rep::_M_destroy(const allocator<char>&) noexcept;
template void string::_Rep::_M_dispose(const allocator<char>&);
template char* string::_S_construct(string::size_type, char, const allocator<char>&);
template string& string::assign(const string&);
template void string::swap(string&);
// The shared empty string, which the members above compare against.
template string::size_type string::_Rep::_S_empty_rep_storage[];

}  // namespace std
