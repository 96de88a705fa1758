// The one font of a form and all its controls: "MS Sans Serif" with an
// 11-pixel character height at 96 dpi, scaled with the density, or a
// substitute of that height where the face cannot serve.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "shared/Scoped.h"
#include "toolkit/Scaling.h"
#include "toolkit/Text.h"

namespace toolkit {

// A text a form's layout is made around, with its width in the design font
// (a self-sizing label's stored width).
struct DesignText {
  const char* text = nullptr;
  TextEncoding encoding = TextEncoding::Ansi;
  int width = 0;
};

// What a form is drawn and laid out with.
struct FormMetrics {
  HFONT font = nullptr;
  LayoutScale scale;
};

// The form font at a density, tried out in `dc`. A face serves when the
// mapper gives that face itself, in the system's ANSI character set, at the
// scaled character height: the first that serves of "MS Sans Serif" and its
// successors, else the system's own dialog face for that character set.
shared::ScopedFont CreateFormFont(HDC dc, int dpi);
// The layout scale for the font selected into `dc` (LayoutScaleFor).
LayoutScale MeasureLayoutScale(HDC dc, std::span<const DesignText> texts);

// Form metrics by density and text table, each made once: every form made
// from one stored layout at one density shares them.
class FormFontCache {
 public:
  FormFontCache() = default;
  FormFontCache(const FormFontCache&) = delete;
  FormFontCache& operator=(const FormFontCache&) = delete;

  // `texts` must outlive the cache (a stored layout's table).
  const FormMetrics& Get(int dpi, std::span<const DesignText> texts);
  // The scale that goes with a font the cache made; identity for any other.
  LayoutScale ScaleOf(HFONT font) const;

 private:
  struct Entry {
    int dpi;
    const DesignText* texts;
    size_t count;
    shared::ScopedFont font;
    FormMetrics metrics;
  };
  mutable std::mutex lock_;
  std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace toolkit
