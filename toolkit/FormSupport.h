// What the forms need beyond a loaded library: the module's activation
// context (common controls 6), the common controls library itself, the
// toolkit's window classes, the form fonts and the DC that measures label
// texts in them. The host
// loads every plug-in library when it starts and most sessions never show a
// form, so none of this is made at load: the first showing makes it, and it
// stays until the library unloads.
#pragma once

#include <windows.h>

#include <span>

#include "toolkit/Font.h"

namespace toolkit {

// Makes what is missing; ERROR_SUCCESS, or the system's code of the step that
// failed (whatever that attempt made is undone, and the next call tries
// again). Safe to call from several threads at once: one makes, the others
// wait for it. Cheap once made; every form calls it.
DWORD PrepareForms() noexcept;
// Undoes PrepareForms when no form is left (at unload); does nothing if it
// never ran. Not to be called while another thread is in PrepareForms.
void ReleaseForms() noexcept;

// The module's activation context; null before PrepareForms, or when the
// module has no manifest resource 24/1.
HANDLE FormsActCtx() noexcept;
// The font and layout scale of a form made now on the calling thread, for
// the density it sees (FormDensity); made once per density and text table.
// After PrepareForms only; throws when the font cannot be made.
const FormMetrics& CurrentFormMetrics(std::span<const DesignText> texts);
// The same at a given density (a form moved to a screen of another one).
const FormMetrics& FormMetricsAt(int dpi, std::span<const DesignText> texts);
// The layout scale that goes with a form font: controls scale by the font
// their parent hands down. Identity for any other font, or before
// PrepareForms.
LayoutScale LayoutScaleOf(HFONT font) noexcept;
// A memory DC for measuring texts, with `font` selected; null before
// PrepareForms.
HDC MeasuringDC(HFONT font) noexcept;

}  // namespace toolkit
