// The floor for "Kelvora.exe /d": a windowed program built with the same
// toolchain and flags that does only the registry work of the switch (open
// the root key for writing, delete ProviderRegKey, close) and links no GUI
// DLL. Nothing can clear the provider for less on the same platform.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\SourceCodeControlProvider", 0, KEY_WRITE,
                      &root) != ERROR_SUCCESS)
        return 1;
    LONG status = RegDeleteValueA(root, "ProviderRegKey");
    RegCloseKey(root);
    return status == ERROR_SUCCESS ? 0 : 1;
}
