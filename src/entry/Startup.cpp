// The C runtime's own start-up compares the command line as signed chars, so
// it takes every byte above 0x7F for a blank (an unquoted C:\Tools\Jörg\... path
// would hand WinMain "rg\..."). The program is therefore built as a Unicode
// program (-municode): the runtime calls wWinMain, which computes the narrow
// tail itself and hands it to WinMain. Static objects are constructed before
// this runs.
#include <windows.h>

#include "CommandLineTail.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR, int show)
{
    // The pointer comes from GetCommandLineA's buffer, which lives as long as
    // the process; WinMain takes it as LPSTR but never writes through it.
    LPSTR tail = const_cast<LPSTR>(CommandLineTail(GetCommandLineA()));
    return WinMain(instance, previous, tail, show);
}
