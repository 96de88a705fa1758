// One replaceable interface text: starts as a constant default and, once
// assigned, owns a copy of its new text. Constant-initialised, so a table of
// these needs no code at load, and trivially destructible, so nothing runs at
// unload before the owner calls Clear.
#pragma once

#include <string_view>

namespace shared {

class LangText {
 public:
  constexpr LangText(int position, const char* defaultText)
      : position_(position), default_(defaultText), text_(defaultText) {}
  LangText(const LangText&) = delete;
  LangText& operator=(const LangText&) = delete;

  const char* c_str() const { return text_; }
  int position() const { return position_; }
  const char* defaultText() const { return default_; }

  // Replaces the text with a copy of `text`. Throws std::bad_alloc and then
  // keeps the old text.
  void Assign(std::string_view text);
  // Empties the entry and releases any text it owned.
  void Clear();

 private:
  void Release();

  int position_;
  const char* default_;
  const char* text_;
  bool owned_ = false;
};

}  // namespace shared
