#include "toolkit/Font.h"

#include <stdexcept>
#include <string>

namespace toolkit {
namespace {

// The design face first, then its TrueType successors, which come in every
// size and in the character sets of the single-byte code pages.
constexpr const wchar_t* kPreferredFaces[] = {L"MS Sans Serif", L"Microsoft Sans Serif", L"Tahoma"};

// The character set of the system's ANSI code page; none (DEFAULT_CHARSET)
// for a code page without one, such as UTF-8.
BYTE SystemCharset() {
  CHARSETINFO info{};
  const DWORD_PTR codePage = ::GetACP();
  if (!::TranslateCharsetInfo(reinterpret_cast<DWORD*>(codePage), &info, TCI_SRCCODEPAGE))
    return DEFAULT_CHARSET;
  return static_cast<BYTE>(info.ciCharset);
}

LOGFONTW Request(const wchar_t* face, int height, BYTE charset) {
  LOGFONTW request{};
  // A negative height asks for the character height (cell minus internal
  // leading), which is how the design's 8 points at 96 dpi are meant.
  request.lfHeight = -height;
  request.lfWeight = FW_NORMAL;
  request.lfCharSet = charset;
  request.lfOutPrecision = OUT_DEFAULT_PRECIS;
  request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  request.lfQuality = DEFAULT_QUALITY;
  request.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(request.lfFaceName, face, LF_FACESIZE);
  return request;
}

// The face the mapper gave for the font selected into `dc`, by the name the
// system uses for it (a localised one, under some locales).
std::wstring SelectedFace(HDC dc) {
  wchar_t face[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, face);
  return face;
}

// CreateFont never fails for a face that cannot serve: the mapper silently
// gives another face, another character set or its nearest size. Selected
// and read back, the font tells. Null when it does not serve.
shared::ScopedFont ServingFont(HDC dc, const LOGFONTW& request, int dpi) {
  shared::ScopedFont font(::CreateFontIndirectW(&request));
  if (!font) return {};
  shared::ScopedSelect select(dc, font.Get());
  TEXTMETRICW metrics{};
  const bool serves = ::GetTextMetricsW(dc, &metrics) &&
                      lstrcmpiW(SelectedFace(dc).c_str(), request.lfFaceName) == 0 &&
                      (request.lfCharSet == DEFAULT_CHARSET || metrics.tmCharSet == request.lfCharSet) &&
                      IsScaledFontHeight(metrics.tmHeight - metrics.tmInternalLeading, dpi);
  return serves ? std::move(font) : shared::ScopedFont();
}

}  // namespace

shared::ScopedFont CreateFormFont(HDC dc, int dpi) {
  const int height = ScaledFontHeight(dpi);
  const BYTE charset = SystemCharset();
  for (const wchar_t* face : kPreferredFaces) {
    if (shared::ScopedFont font = ServingFont(dc, Request(face, height, charset), dpi)) return font;
  }
  // None serves: under a double-byte code page none has its glyphs; past
  // the bitmap face's sizes its successors may be missing. The system's
  // own dialog face for its character set is the one the mapper gives for
  // the stock GUI font's name in that set ("MS Shell Dlg", which each
  // language's system maps to its own face).
  LOGFONTW stock{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  const LOGFONTW dialog = Request(stock.lfFaceName, height, charset);
  std::wstring mapped;
  {
    shared::ScopedFont font(::CreateFontIndirectW(&dialog));
    shared::ScopedSelect select(dc, font.Get());
    mapped = SelectedFace(dc);
  }
  if (shared::ScopedFont font = ServingFont(dc, Request(mapped.c_str(), height, charset), dpi)) return font;
  shared::ScopedFont font(::CreateFontIndirectW(&dialog));
  if (!font) throw std::runtime_error("Cannot create the form font");
  return font;
}

LayoutScale MeasureLayoutScale(HDC dc, std::span<const DesignText> texts) {
  TEXTMETRICW metrics{};
  // tmHeight alone: 13 for the design font at 96 dpi, whose external leading
  // is 0, as the line height the design was laid out with.
  const int lineHeight = ::GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : kDesignLineHeight;
  std::vector<TextGrowth> growth;
  growth.reserve(texts.size());
  for (const DesignText& text : texts) {
    const std::wstring wide = Widen(text.text, text.encoding);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    growth.push_back({static_cast<int>(size.cx), text.width});
  }
  return LayoutScaleFor(lineHeight, growth);
}

const FormMetrics& FormFontCache::Get(int dpi, std::span<const DesignText> texts) {
  std::lock_guard<std::mutex> hold(lock_);
  for (const auto& entry : entries_) {
    if (entry->dpi == dpi && entry->texts == texts.data() && entry->count == texts.size())
      return entry->metrics;
  }
  shared::ScopedDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) throw std::runtime_error("Cannot create the form font");
  auto entry =
      std::make_unique<Entry>(Entry{dpi, texts.data(), texts.size(), CreateFormFont(dc.Get(), dpi), {}});
  shared::ScopedSelect select(dc.Get(), entry->font.Get());
  entry->metrics = {entry->font.Get(), MeasureLayoutScale(dc.Get(), texts)};
  entries_.push_back(std::move(entry));
  return entries_.back()->metrics;
}

LayoutScale FormFontCache::ScaleOf(HFONT font) const {
  std::lock_guard<std::mutex> hold(lock_);
  for (const auto& entry : entries_) {
    if (entry->font.Get() == font) return entry->metrics.scale;
  }
  return {};
}

}  // namespace toolkit
