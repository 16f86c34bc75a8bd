// The floor program with USER32 and COMCTL32 in its import table, as Kelvora
// had them before they were delay-loaded: the same registry work, plus what
// the loader pays for the GUI DLLs (under Wine, connecting to the display).
#include <windows.h>
#include <commctrl.h>

#include "DeleteProviderRegKey.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int show)
{
    // Never true (the show state is never this), but the calls keep both
    // DLLs in the import table.
    if (show == 0x7fff) {
        InitCommonControls();
        return GetDlgItem(nullptr, 0) != nullptr;
    }
    return DeleteProviderRegKey();
}
