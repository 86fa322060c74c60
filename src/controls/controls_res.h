// Resource ids of the progress bar skins (src/controls/controls.rc). The
// range 6000-6199 is the control's; the program's own ids stay below 3000.
#pragma once

#define IDB_XPPB_IMG 6000
#define IDB_XPPB_BLANK 6001
// The bank of looks: entry n (0 to 39) is IDB_XPPB_BANK + n.
#define IDB_XPPB_BANK 6100
