// The floor program with USER32 and COMCTL32 in its import table, as Kelvora
// had them before they were delay-loaded: the same registry work, plus what
// the loader pays for the GUI DLLs (under Wine, connecting to the display).
#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int show)
{
    // Never true (the show state is never this), but the calls keep both
    // DLLs in the import table.
    if (show == 0x7fff) {
        InitCommonControls();
        return GetDlgItem(nullptr, 0) != nullptr;
    }
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\SourceCodeControlProvider", 0, KEY_WRITE,
                      &root) != ERROR_SUCCESS)
        return 1;
    LONG status = RegDeleteValueA(root, "ProviderRegKey");
    RegCloseKey(root);
    return status == ERROR_SUCCESS ? 0 : 1;
}
