// Resource IDs of the page icons (dialog/SysDlg.rc).
#pragma once

#define ZX_ICON_WINDOWS 101
#define ZX_ICON_SYSTEM 102
#define ZX_ICON_MEMORY 103
#define ZX_ICON_NETWORK 104
#define ZX_ICON_LIBRARIES 105
