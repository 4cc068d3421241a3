// The calling convention of the functions that a Windows library exports: stdcall on 32-bit
// Windows (WINAPI), the only convention there is on x86-64 and elsewhere. For code that
// binds such functions without including <windows.h>.
#pragma once

#if defined(_WIN32) && defined(__i386__)
#define PLATFORM_STDCALL __attribute__((stdcall))
#else
#define PLATFORM_STDCALL
#endif
