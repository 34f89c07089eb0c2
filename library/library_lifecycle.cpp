// Load, unload and the version text.
#include "library/library.h"

#ifndef OLVBUS_BUILD_STAMP
#define OLVBUS_BUILD_STAMP __DATE__ " " __TIME__
#endif

namespace olvbus {
namespace {

// Four lines joined by CR LF; lines 2 and 3 end in a blank, which applications
// that parse the text have always seen.
constexpr const char kVersionWithDriver[] =
    "OlvBus.dll compiled " OLVBUS_BUILD_STAMP
    "\r\nOPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing OlvexPin.sys \r\nsupports DUT reg rd/wr; "
    "Peek/Poke; Trace.";
constexpr const char kVersionWithPortInstructions[] =
    "OlvBus.dll compiled " OLVBUS_BUILD_STAMP
    "\r\nOPEN_LPT_FILE USE_OLVEXPIN_SYS \r\nusing out dx,al \r\nsupports DUT reg rd/wr; "
    "Peek/Poke; Trace.";

}  // namespace

bool Library::ProcessAttach()
{
    state_.osVersion.dwOSVersionInfoSize = sizeof(OsVersionInfo);
    if (platform_.GetVersionEx(state_.osVersion)) {
        return true;
    }
    platform_.MessageBox("not compatible with this version of windows! GetVersionEx failed.",
                         kMessageBoxCaption);
    return false;
}

// The handles are closed but the fields keep their values: nothing runs after
// detach that could look at them.
void Library::ProcessDetach()
{
    if (state_.driverHandle != kInvalidHandle) {
        platform_.CloseHandle(state_.driverHandle);
    }
    if (state_.lptHandle != kInvalidHandle) {
        platform_.CloseHandle(state_.lptHandle);
    }
}

const char* Library::Get_OLVBUS_DLL_Version() const
{
    return state_.driverHandle != kInvalidHandle ? kVersionWithDriver
                                                 : kVersionWithPortInstructions;
}

void Library::Trace_Begin()
{
    state_.traceText.Clear();
    state_.traceOn = true;
}

void Library::Trace_End()
{
    state_.traceOn = false;
}

const char* Library::Get_Trace_Buffer() const
{
    return state_.traceText.Text();
}

}  // namespace olvbus
