#include "shared/LangTable.h"

namespace shared {

constinit LangText sSysInfoCaption{2, "System information"};
constinit LangText sWinSheet{318, "Windows"};
constinit LangText sWinTitle{319, "Windows Information"};
constinit LangText sSysSheet{320, "System"};
constinit LangText sSysTitle{321, "Computer Information"};
constinit LangText sMemSheet{322, "Memory"};
constinit LangText sMemTitle{323, "Memory Information"};
constinit LangText sLibSheet{324, "System Libraries"};
constinit LangText sLibTitle{325, "System libraries version information."};

LangText* const kLangEntries[9] = {
    &sSysInfoCaption, &sWinSheet, &sWinTitle, &sSysSheet, &sSysTitle,
    &sMemSheet,       &sMemTitle, &sLibSheet, &sLibTitle,
};

void FinalizeLangTable() {
  for (LangText* entry : kLangEntries) entry->Clear();
}

}  // namespace shared
