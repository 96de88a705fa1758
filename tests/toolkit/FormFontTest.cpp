// The form font asked itself whether it draws the system's code page; CTest
// runs this under Japanese and Chinese locales too (ZX_EXPECT_ACP).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/FormSupport.h"

namespace toolkit {
namespace {

// A company name in a double-byte code page, else a single-byte one's upper
// half.
std::wstring CodePageText() {
  if (::GetACP() == 932) return L"表示ツール株式会社";
  if (::GetACP() == 936) return L"显示工具有限公司";
  if (::GetACP() == 950) return L"顯示工具有限公司";
  if (::GetACP() == 949) return L"표시 도구 주식회사";
  char bytes[64];
  for (int i = 0; i < 64; ++i) bytes[i] = static_cast<char>(0xC0 + i);
  wchar_t wide[64];
  return {wide, static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, bytes, 64, wide, 64))};
}

TEST(FormFont, HasAGlyphForEveryCharacterOfTheSystemCodePageAtTheDesignHeight) {
  const char* codePage = std::getenv("ZX_EXPECT_ACP");
  ASSERT_TRUE(!codePage || std::atoi(codePage) == int(::GetACP())) << "the locale is not installed";
  ASSERT_EQ(DWORD(ERROR_SUCCESS), PrepareForms());
  const HDC dc = MeasuringDC(CurrentFormMetrics({}).font);
  const std::wstring text = CodePageText();
  std::vector<WORD> glyphs(text.size());
  ::GetGlyphIndicesW(dc, text.c_str(), int(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  for (size_t i = 0; i < text.size(); ++i)
    EXPECT_NE(0xFFFF, glyphs[i]) << "no glyph for U+" << std::hex << int(text[i]);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  EXPECT_EQ(11, metrics.tmHeight - metrics.tmInternalLeading);
  // The design face stays wherever it draws the code page.
  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, face);
  CPINFO info{};
  ::GetCPInfo(CP_ACP, &info);
  EXPECT_EQ(info.MaxCharSize > 1, lstrcmpiW(face, L"MS Sans Serif") != 0);
}

}  // namespace
}  // namespace toolkit
