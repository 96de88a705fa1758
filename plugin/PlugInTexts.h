// Fixed texts of the library and its one plug-in. The copyright notice is
// shared with the version resource (zentrix.rc) through these macros.
#pragma once

#define ZX_COMPANY_NAME "Zentrix Software"
#define ZX_COPYRIGHT "Copyright (C) 2026 Zentrix Software. All rights reserved."
#define ZX_LIB_FILE_NAME "zentrix.pdl"
#define ZX_PLUGIN_DESCRIPTION "System information plug-in for Tavrel Corvane"

#ifdef __cplusplus
namespace plugin {

constexpr const char kLibFileName[] = ZX_LIB_FILE_NAME;
constexpr const char kLibCopyright[] = ZX_COPYRIGHT;
constexpr const char kPlugInName[] = "System Information Plug-In";
constexpr const char kPlugInDescription[] = ZX_PLUGIN_DESCRIPTION;
constexpr const char kPlugInCaption[] = "System information";

// "Standart" is the host's own spelling of its About caption: spelt so on purpose.
constexpr const char kAboutCaption[] = "Tavrel Corvane Standart Plug-In";
constexpr const char kAboutText[] = ZX_PLUGIN_DESCRIPTION
    "\r\n"
    "\r\n"
    "Tavrel Project.\r\n" ZX_COPYRIGHT;

// Every text must fit a host text field with its terminator.
static_assert(sizeof(kLibCopyright) <= 261);
static_assert(sizeof(kPlugInDescription) <= 261);

}  // namespace plugin
#endif
