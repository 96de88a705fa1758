#include "shared/LangText.h"

#include <cstring>

namespace shared {

void LangText::Assign(std::string_view text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  Release();
  text_ = copy;
  owned_ = true;
}

void LangText::Clear() {
  Release();
  text_ = "";
}

void LangText::Release() {
  if (owned_) delete[] text_;
  owned_ = false;
}

}  // namespace shared
