// The form font asked itself whether it draws the system's code page; CTest
// runs this under Japanese and Chinese locales too (ZX_EXPECT_ACP).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "shared/Scoped.h"
#include "toolkit/Font.h"
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
}

// The face `font` is drawn in, when it has a glyph for every character of
// `text` at a character height less than a pixel from 11 scaled to `dpi`;
// else empty.
std::wstring FaceDrawing(HFONT font, const std::wstring& text, int dpi) {
  const shared::ScopedDC dc(::CreateCompatibleDC(nullptr));
  const shared::ScopedSelect selected(dc.Get(), font);
  std::vector<WORD> glyphs(text.size());
  ::GetGlyphIndicesW(dc.Get(), text.c_str(), int(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.Get(), &metrics);
  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc.Get(), LF_FACESIZE, face);
  const bool all = std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
  const int height = metrics.tmHeight - metrics.tmInternalLeading;
  return all && std::abs(height * 96 - 11 * dpi) < 96 ? face : L"";
}

// At every density the form font draws the code page at the scaled height,
// and in the design face wherever that face itself can.
TEST(FormFont, AtEveryDensityDrawsTheCodePageInTheDesignFaceWhereThatFaceCan) {
  const std::wstring text = CodePageText();
  for (const int dpi : {96, 120, 144, 192}) {
    const shared::ScopedDC dc(::CreateCompatibleDC(nullptr));
    const shared::ScopedFont font = CreateFormFont(dc.Get(), dpi);
    const std::wstring face = FaceDrawing(font.Get(), text, dpi);
    EXPECT_NE(face, L"") << dpi << " dpi: not every character, or not at the scaled height";
    const shared::ScopedFont design(::CreateFontW(-::MulDiv(11, dpi, 96), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                                  DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"));
    const std::wstring designFace = FaceDrawing(design.Get(), text, dpi);
    if (!designFace.empty()) {
      EXPECT_TRUE(face == designFace) << dpi << " dpi: the design face can draw it";
    }
  }
}

}  // namespace
}  // namespace toolkit
