// The host's language table, as far as this library reads it. Each entry is a
// module-level text named as in the host and carrying its position in the
// host's declaration order; the host's other entries are not carried.
#pragma once

#include "shared/LangText.h"

namespace shared {

extern constinit LangText sSysInfoCaption;  // 2
extern constinit LangText sWinSheet;        // 318
extern constinit LangText sWinTitle;        // 319
extern constinit LangText sSysSheet;        // 320
extern constinit LangText sSysTitle;        // 321
extern constinit LangText sMemSheet;        // 322
extern constinit LangText sMemTitle;        // 323
extern constinit LangText sLibSheet;        // 324
extern constinit LangText sLibTitle;        // 325

// Every carried entry, in declaration order.
extern LangText* const kLangEntries[9];

// Empties every entry, releasing owned texts; run once at unload.
void FinalizeLangTable();

}  // namespace shared
