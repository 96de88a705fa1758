// The host window's resource and control IDs, for HostWindow.rc and the code
// that fills the window in.
#pragma once

#define PDLHOST_WINDOW 1
#define PDLHOST_LIST 100
#define PDLHOST_RESULT 101
#define PDLHOST_ABOUT 102
#define PDLHOST_EXECUTE 103
#define PDLHOST_VERSION 104
#define PDLHOST_COPYRIGHT 105
#define PDLHOST_DESCRIPTION 106
