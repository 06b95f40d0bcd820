#pragma once
// Libraries that Windows does not always take from its own folder (VERSION, LZ32, COMCTL32) are
// loaded here on first use, after the search has been restricted: the installer usually starts
// from a download folder, and a library of the same name planted beside it must never be loaded
// instead, neither by the program nor by a system library that needs it. VERSION and LZ32 come by
// their full path in the system folder; COMCTL32 by its name, which the program's manifest turns
// into the system's side-by-side copy before any folder is searched.
#include <windows.h>
#include <commctrl.h>

// Restricts where libraries are searched for to the system folder (where the system offers it) and
// takes the current folder out of the search. The first thing the program does.
void RestrictLibrarySearch();

// The flags for loading a library by its full path so that what it needs comes from its own
// folder and the system's (a COM server of the distribution), as far as the search is restricted.
DWORD OwnFolderLoadFlags();

// A function of a library in the system folder; null when it cannot be loaded or lacks it.
FARPROC SystemFunction(const char* library, const char* name);

// InitCommonControlsEx of the system's common controls; false when they cannot be loaded.
bool InitCommonControlClasses(DWORD classes);

template <class Function>
Function SystemFunctionAs(const char* library, const char* name) {
    // Through a generic function pointer: the real type is known only from the library's header.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(SystemFunction(library, name)));
}
