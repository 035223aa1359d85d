#pragma once
// The only way the platform files reach the Windows API. winsock2.h must come before windows.h
// (which would otherwise drag in the old winsock.h with different option numbers), and the
// headers that windows.h leaves out under WIN32_LEAN_AND_MEAN are added here, once.
// WIN32_LEAN_AND_MEAN, NOMINMAX and _WIN32_WINNT come from the build; the fallbacks below only
// keep a stray compile of one file consistent with it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>
#include <windows.h>
#include <iphlpapi.h>
#include <wincrypt.h>
#include <shellapi.h>
#include <commctrl.h>
// clang-format on
