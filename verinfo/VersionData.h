// The version data of one file (VS_VERSIONINFO and its children), answered
// as the version library's VerQueryValueA answers it: the 32-bit layout's
// UTF-16 texts narrowed to the ANSI code page, the 16-bit layout's texts as
// stored. Every length is checked against its parent and the bytes held;
// bytes the data does not hold read as zeros, as they do in the library's
// zero-filled buffer, and no walk leaves the data or loops.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace verinfo {

// One string of a string table, exactly as stored.
struct TVersionString {
  std::wstring name, value;
};

class TVersionData {
 public:
  // The data is not copied; it must outlive every query. At most 64 KB.
  TVersionData(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

  // The value at `path` ("\StringFileInfo\040904E4\ProductName", "\" for
  // the fixed block) into `value`: a text value narrowed, or a binary value's
  // bytes, with the length the library reports. False when there is none.
  bool Query(const char* path, std::string& value) const;

  // The keys of the tables under "\StringFileInfo", in file order.
  void TableKeys(std::vector<std::wstring>& keys) const;
  // Every string of the table at `index` of that order, in file order: the
  // 32-bit layout's UTF-16 texts as stored, the 16-bit layout's bytes read
  // in `codePage`. Each text ends at its first zero, its stated length or
  // its block's end. `strings` keeps its elements' storage for the next
  // file; `count` says how many hold this table's strings.
  void TableStrings(size_t index, unsigned codePage, std::vector<TVersionString>& strings,
                    size_t& count) const;

 private:
  struct TNode {
    uint32_t at;
    uint16_t length, valueLength, type;
    uint32_t value, children;
  };

  uint8_t Byte(uint64_t offset) const { return offset < size_ ? data_[offset] : 0; }
  uint16_t Word(uint64_t offset) const { return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8); }
  bool SixteenBit() const;
  TNode Node(uint32_t at) const;
  bool KeyMatches(uint32_t at, const std::wstring& key, size_t from, size_t length) const;
  bool FindChild(TNode& node, const std::wstring& key, size_t from, size_t length) const;
  void Narrow(const TNode& node, std::string& value) const;
  // The end of a node's bytes as far as the file holds them: inside the
  // root block (past it the buffer holds the library's mark) and the data.
  uint32_t End(const TNode& node) const {
    return std::min({node.at + node.length, uint32_t{Word(0)}, size_});
  }
  bool FindStringFileInfo(TNode& node) const;
  // Calls `visit` with every child of `node`, in order, until it says stop.
  template <class Visit>
  void ForEachChild(const TNode& node, Visit visit) const;
  void ReadKey(const TNode& node, std::wstring& key) const;
  void ReadText(const TNode& node, unsigned codePage, std::wstring& text) const;

  const uint8_t* data_;
  uint32_t size_;
};

}  // namespace verinfo
