// olvbus.dll's process-wide library and its entry routine.
//
// The platform binding and the library are static objects: the C runtime's
// start-up constructs them (an empty trace text) before it calls DllMain for
// the process attach, and destroys them (releasing the trace text) after
// DllMain has seen the process detach.
#include <windows.h>
#undef MessageBox
#undef GetVersionEx

#include "library/process_library.h"
#include "library/win32/win32_platform.h"

namespace olvbus {
namespace {

win32::Win32Platform platform;
Library library(platform);

}  // namespace

Library& ProcessLibrary()
{
    return library;
}

}  // namespace olvbus

// MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) is the 0x400 the error report asks for.
static_assert(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) == 0x400);

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // FALSE makes the loader refuse the library: without the version
        // record it cannot tell whether port instructions are allowed.
        return olvbus::ProcessLibrary().ProcessAttach() ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        olvbus::ProcessLibrary().ProcessDetach();
        return TRUE;
    default:
        return TRUE;
    }
}
