// win32_system.h: <windows.h> for the Win32 backend's own files.
//
// NOTE: windows.h defines as macros some names that the platform contract
// declares as constants (SWP_NOSIZE, HWND_TOPMOST, RGN_OR, RGB). So the
// contract's headers come first, and include guards keep them from being
// read again after the macros exist. Past this header the backend means the
// native names; it spells them with "::" where the contract has the same
// name (::HWND, ::RECT).
#pragma once

#include "platform/contract/form.h"
#include "platform/contract/image.h"
#include "platform/contract/win_api.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
