// The one place the program's version and names are set; read by the
// VERSIONINFO resource and by the About dialog.
#pragma once

// A build may set the revision itself: the installer tests make a newer copy.
// CMake reads these lines (cmake/VtVersion.cmake) for the packages.
#define VT_VERSION_MAJOR 1
#define VT_VERSION_MINOR 0
#ifndef VT_VERSION_REVISION
#define VT_VERSION_REVISION 3
#endif
#define VT_VERSION_BUILD 0

#define VT_COMPANY_NAME "Larkspur Lane Software"
#define VT_PRODUCT_NAME "Vel-Tarrow"
#define VT_EXE_NAME "Vel-Tarrow.exe"
#define VT_COPYRIGHT "Copyright (C) 2026 " VT_COMPANY_NAME

#define VT_STR_(x) #x
#define VT_STR(x) VT_STR_(x)
#define VT_VERSION_TEXT \
  VT_STR(VT_VERSION_MAJOR) "." VT_STR(VT_VERSION_MINOR) "." VT_STR(VT_VERSION_REVISION)
