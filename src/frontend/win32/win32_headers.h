// The Windows headers of the Win32 front end, in one place and with one set of switches, so
// that every translation unit sees the same macros (and the check that no name of the core's
// headers is one of them sees exactly these).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>
// The order matters little, but winsock.h must come after windows.h.
#include <commctrl.h>
#include <commdlg.h>
#include <direct.h>
#include <mbstring.h>
#include <shellapi.h>
#include <winsock.h>
