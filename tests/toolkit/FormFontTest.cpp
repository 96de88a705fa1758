// The form font asked itself whether it can draw the system's code page.
// CTest runs this under Japanese and Chinese locales too (ZX_EXPECT_ACP).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/WindowRead.h"
#include "shared/Scoped.h"
#include "toolkit/FormSupport.h"

namespace toolkit {
namespace {

// Owner and company names as each double-byte code page carries them.
struct Sample {
  UINT codePage;
  const wchar_t* text;
};
const Sample kDoubleByte[] = {{932, L"表示ツール 株式会社"},
                              {936, L"显示工具 有限公司"},
                              {949, L"표시 도구 주식회사"},
                              {950, L"顯示工具 有限公司"}};

const wchar_t* DoubleByteSample() {
  for (const Sample& sample : kDoubleByte) {
    if (sample.codePage == ::GetACP()) return sample.text;
  }
  return nullptr;
}

// A double-byte code page's sample, or the upper half of a single-byte one.
std::wstring CodePageText() {
  if (const wchar_t* sample = DoubleByteSample()) return sample;
  char bytes[64];
  for (int i = 0; i < 64; ++i) bytes[i] = static_cast<char>(0xC0 + i);
  wchar_t wide[64];
  return {wide, static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, bytes, 64, wide, 64))};
}

TEST(FormFont, HasAGlyphForEveryCharacterOfTheSystemCodePageAtTheDesignHeight) {
  if (const char* codePage = std::getenv("ZX_EXPECT_ACP")) {
    ASSERT_EQ(static_cast<UINT>(std::atoi(codePage)), ::GetACP()) << "the locale is not installed";
  }
  ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), PrepareForms());
  shared::ScopedDC dc(::CreateCompatibleDC(nullptr));
  shared::ScopedSelect select(dc.Get(), CurrentFormMetrics({}).font);
  const std::wstring text = CodePageText();
  std::vector<WORD> glyphs(text.size());
  ASSERT_EQ(text.size(), ::GetGlyphIndicesW(dc.Get(), text.c_str(), static_cast<int>(text.size()),
                                            glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS));
  for (size_t i = 0; i < text.size(); ++i)
    EXPECT_NE(0xFFFF, glyphs[i]) << "no glyph for U+" << std::hex << static_cast<int>(text[i]);

  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc.Get(), LF_FACESIZE, face);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.Get(), &metrics);
  std::printf("code page %u: \"%s\", character height %d\n", ::GetACP(), host::Utf8(face).c_str(),
              static_cast<int>(metrics.tmHeight - metrics.tmInternalLeading));
  EXPECT_EQ(11, metrics.tmHeight - metrics.tmInternalLeading);
  // The design face stays wherever it can draw the code page.
  EXPECT_EQ(DoubleByteSample() != nullptr, lstrcmpiW(face, L"MS Sans Serif") != 0) << host::Utf8(face);
}

}  // namespace
}  // namespace toolkit
