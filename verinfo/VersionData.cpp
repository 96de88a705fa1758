#include "verinfo/VersionData.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

namespace verinfo {

namespace {

// A path never needs more steps than this; a longer one finds nothing.
constexpr int kMaxDepth = 32;

uint32_t Align4(uint32_t value) { return (value + 3) & ~3u; }

// Keys compare without regard to case, as the library compares them.
wchar_t Folded(wchar_t c) {
  if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
  // What CharLowerW does with one character, without loading the window
  // library into a program that has no window (under Wine that load is a
  // large part of verinfo.exe's start).
  wchar_t lower = c;
  ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, &c, 1, &lower, 1);
  return lower;
}

}  // namespace

// The 16-bit layout has no type word: its key starts where the 32-bit
// layout's type sits, and a printable first character tells it apart.
bool TVersionData::SixteenBit() const { return static_cast<int8_t>(Byte(4)) >= ' '; }

TVersionData::TNode TVersionData::Node(uint32_t at) const {
  TNode node{at, Word(at), Word(at + 2), 0, 0, 0};
  uint32_t key = 0;  // bytes of the key with its zero
  if (SixteenBit()) {
    while (at + 4 + key < size_ && Byte(at + 4 + key) != 0) ++key;
    node.value = at + Align4(4 + key + 1);
    node.children = node.value + Align4(node.valueLength);
  } else {
    node.type = Word(at + 4);
    while (at + 6 + key < size_ && Word(at + 6 + key) != 0) key += 2;
    node.value = at + Align4(6 + key + 2);
    node.children = node.value + Align4(node.valueLength * (node.type ? 2u : 1u));
  }
  return node;
}

bool TVersionData::KeyMatches(uint32_t at, const std::wstring& key, size_t from, size_t length) const {
  if (SixteenBit()) {
    for (size_t i = 0; i < length; ++i)
      if (Folded(Byte(at + 4 + i)) != Folded(key[from + i])) return false;
    return Byte(at + 4 + length) == 0;
  }
  for (size_t i = 0; i < length; ++i)
    if (Folded(Word(at + 6 + 2 * i)) != Folded(key[from + i])) return false;
  return Word(at + 6 + 2 * length) == 0;
}

// The children lie from the end of the value to the end of the node, each
// at the next 4-byte boundary after the one before; one of no length ends
// them. Past the bytes held every child reads as of no length.
bool TVersionData::FindChild(TNode& node, const std::wstring& key, size_t from, size_t length) const {
  const uint32_t end = node.at + node.length;
  for (uint32_t child = node.children; child < end && child < size_;) {
    if (KeyMatches(child, key, from, length)) {
      node = Node(child);
      return true;
    }
    const uint16_t childLength = Word(child);
    if (childLength == 0) return false;
    child += Align4(childLength);
  }
  return false;
}

// The library narrows exactly the value's stated length of UTF-16 units,
// zeros past the data included, into the space left between the value and
// the root block's end; a text that would not fit there gives nothing.
void TVersionData::Narrow(const TNode& node, std::string& value) const {
  value.clear();
  const uint32_t units = node.valueLength;
  if (units == 0) return;
  const int room = static_cast<int>(Word(0)) - static_cast<int>(node.value);
  if (room < 0) return;
  const uint32_t held = node.value < size_ ? std::min(units, (size_ - node.value) / 2) : 0;
  // ASCII is the same bytes in every ANSI code page: no conversion asked.
  bool ascii = true;
  for (uint32_t i = 0; i < held && ascii; ++i) ascii = Word(node.value + 2 * i) < 0x80;
  std::wstring wide;
  if (!ascii) {
    wide.resize(held);
    for (uint32_t i = 0; i < held; ++i) wide[i] = static_cast<wchar_t>(Word(node.value + 2 * i));
  }
  const int narrowed = ascii ? static_cast<int>(held)
                             : ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(held), nullptr,
                                                     0, nullptr, nullptr);
  const size_t total = static_cast<size_t>(narrowed) + (units - held);
  // No room at all asks for the size and writes nothing: zeros are read.
  if (room == 0) {
    value.assign(total, '\0');
    return;
  }
  if (total > static_cast<size_t>(room)) return;
  value.resize(narrowed);
  if (ascii)
    for (uint32_t i = 0; i < held; ++i) value[i] = static_cast<char>(Word(node.value + 2 * i));
  else if (narrowed)
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(held), value.data(), narrowed, nullptr,
                          nullptr);
  value.append(units - held, '\0');
}

bool TVersionData::Query(const char* path, std::string& value) const {
  value.clear();
  if (size_ < 4) return false;
  // The path is compared as the library compares it: widened from the ANSI
  // code page for the 32-bit layout, byte by byte for the 16-bit one.
  std::wstring key;
  if (SixteenBit()) {
    for (const char* c = path; *c; ++c) key.push_back(static_cast<wchar_t>(static_cast<uint8_t>(*c)));
  } else {
    const std::string_view bytes(path);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; })) {
      key.assign(bytes.begin(), bytes.end());  // ASCII reads the same in every ANSI code page
    } else {
      const int units = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
      if (units <= 0) return false;
      key.resize(units);
      ::MultiByteToWideChar(CP_ACP, 0, path, -1, key.data(), units);
      key.resize(units - 1);
    }
  }
  TNode node = Node(0);
  int depth = 0;
  // Empty steps ("\\" or a trailing "\") are skipped.
  for (size_t at = 0; at < key.size();) {
    if (key[at] == L'\\') {
      ++at;
      continue;
    }
    size_t end = key.find(L'\\', at);
    if (end == std::wstring::npos) end = key.size();
    if (++depth > kMaxDepth || !FindChild(node, key, at, end - at)) return false;
    at = end;
  }
  if (!SixteenBit() && node.type != 0) {
    Narrow(node, value);
    return true;
  }
  value.resize(node.valueLength);
  for (uint32_t i = 0; i < node.valueLength; ++i)
    value[i] = static_cast<char>(Byte(uint64_t{node.value} + i));
  return true;
}

template <class Visit>
void TVersionData::ForEachChild(const TNode& node, Visit visit) const {
  const uint32_t end = End(node);
  for (uint32_t child = node.children; child < end;) {
    const uint16_t childLength = Word(child);
    if (childLength == 0 || !visit(Node(child))) return;
    child += Align4(childLength);
  }
}

bool TVersionData::FindStringFileInfo(TNode& node) const {
  static const std::wstring kKey = L"StringFileInfo";
  node = Node(0);
  return size_ >= 4 && FindChild(node, kKey, 0, kKey.size());
}

void TVersionData::ReadKey(const TNode& node, std::wstring& key) const {
  key.clear();
  const uint32_t end = End(node);
  if (SixteenBit()) {
    for (uint32_t at = node.at + 4; at < end && Byte(at) != 0; ++at)
      key.push_back(static_cast<wchar_t>(Byte(at)));
  } else {
    for (uint32_t at = node.at + 6; at + 1 < end && Word(at) != 0; at += 2)
      key.push_back(static_cast<wchar_t>(Word(at)));
  }
}

void TVersionData::ReadText(const TNode& node, unsigned codePage, std::wstring& text) const {
  text.clear();
  const uint32_t end = End(node);
  if (node.value >= end) return;
  if (!SixteenBit()) {
    // A text value counts UTF-16 units, a binary one bytes.
    const uint32_t units =
        std::min<uint32_t>(node.type ? node.valueLength : node.valueLength / 2u, (end - node.value) / 2);
    for (uint32_t i = 0; i < units; ++i) {
      const uint16_t unit = Word(node.value + 2 * i);
      if (unit == 0) break;
      text.push_back(static_cast<wchar_t>(unit));
    }
    return;
  }
  uint32_t bytes = 0;
  const uint32_t most = std::min<uint32_t>(node.valueLength, end - node.value);
  while (bytes < most && Byte(node.value + bytes) != 0) ++bytes;
  if (bytes == 0) return;
  const auto* from = reinterpret_cast<const char*>(data_ + node.value);
  // A table key's code page the system does not know reads as the ANSI one.
  int units = ::MultiByteToWideChar(codePage, 0, from, static_cast<int>(bytes), nullptr, 0);
  if (units <= 0) {
    codePage = CP_ACP;
    units = ::MultiByteToWideChar(codePage, 0, from, static_cast<int>(bytes), nullptr, 0);
  }
  text.resize(static_cast<size_t>(std::max(units, 0)));
  if (units > 0) ::MultiByteToWideChar(codePage, 0, from, static_cast<int>(bytes), text.data(), units);
}

void TVersionData::TableKeys(std::vector<std::wstring>& keys) const {
  // The strings of the last file's keys are refilled, not made again.
  size_t count = 0;
  TNode info;
  if (FindStringFileInfo(info)) {
    ForEachChild(info, [&](const TNode& table) {
      if (count == keys.size()) keys.emplace_back();
      ReadKey(table, keys[count++]);
      return true;
    });
  }
  keys.resize(count);
}

void TVersionData::TableStrings(size_t index, unsigned codePage, std::vector<TVersionString>& strings,
                                size_t& count) const {
  count = 0;
  TNode info;
  if (!FindStringFileInfo(info)) return;
  size_t at = 0;
  ForEachChild(info, [&](const TNode& table) {
    if (at++ != index) return true;
    ForEachChild(table, [&](const TNode& string) {
      if (count == strings.size()) strings.emplace_back();
      ReadKey(string, strings[count].name);
      ReadText(string, codePage, strings[count].value);
      ++count;
      return true;
    });
    return false;
  });
}

}  // namespace verinfo
