// What the library writes into each host record, in write order.
#pragma once

#include "plugin/PlugInRecords.h"
#include "plugin/PlugInTexts.h"

namespace plugin {

inline constexpr FieldWrite kLibInfoWrites[] = {
    Number(offsetof(TPlugInLibInfo, Number268), 1),
    Number(offsetof(TPlugInLibInfo, Number272), 0),
    Number(offsetof(TPlugInLibInfo, Number276), 1),
    Text(offsetof(TPlugInLibInfo, LibFileName), kLibFileName),
    Text(offsetof(TPlugInLibInfo, LibCopyright), kLibCopyright),
    Number(offsetof(TPlugInLibInfo, Number804), 1),
    Number(offsetof(TPlugInLibInfo, Number808), 0x18000),
    Address(offsetof(TPlugInLibInfo, LibProc), EntryAddress::PlugInLibProc),
    Number(offsetof(TPlugInLibInfo, Number816), 0),
    Number(offsetof(TPlugInLibInfo, Number820), 0),
};

inline constexpr FieldWrite kPlugInInfoWrites[] = {
    Text(offsetof(TPlugInInfo, PlugInName), kPlugInName),
    Text(offsetof(TPlugInInfo, PlugInDescription), kPlugInDescription),
    Number(offsetof(TPlugInInfo, Number528), 5),
    Text(offsetof(TPlugInInfo, PlugInCaption), kPlugInCaption),
    Number(offsetof(TPlugInInfo, Number1576), 1),
    Number(offsetof(TPlugInInfo, Number1580), 0x10000),
    Address(offsetof(TPlugInInfo, FuncProc), EntryAddress::PlugInFuncProc),
};

}  // namespace plugin

namespace plugin {

// Function codes that have an entry; PlugInFuncProc yields 0 for every other.
inline constexpr uint32_t kCodesWithEntry[] = {kFuncNoOp, kFuncAbout, kFuncExecute};

// Record sizes the host guarantees; nothing past them is touched.
inline constexpr size_t kLibInfoSize = sizeof(TPlugInLibInfo);
inline constexpr size_t kPlugInInfoSize = sizeof(TPlugInInfo);

}  // namespace plugin
