// The one font of every form and control: "MS Sans Serif" with an 11-pixel
// character height at 96 dpi, or a substitute of the same height where the
// face is missing.
#pragma once

#include <windows.h>

#include <string>

#include "shared/Scoped.h"
#include "toolkit/Scaling.h"

namespace toolkit {

// First installed face of the preferred list, else the face of the stock GUI
// font (which the font mapper can always satisfy). Looked up once.
std::string FormFontFace();
shared::ScopedFont CreateFormFont();
// Line height (tmHeight) of the form font on the screen.
int FormFontLineHeight();
// Computed once: the screen density is fixed for the life of the process.
const LayoutScale& ScreenLayoutScale();

}  // namespace toolkit
