// The floor for "Kelvora.exe /d": a windowed program built with the same
// toolchain and flags that does only the registry work of the switch (open
// the root key for writing, delete ProviderRegKey, close) and links no GUI
// DLL. Nothing can clear the provider for less on the same platform.
#include <windows.h>

#include "DeleteProviderRegKey.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return DeleteProviderRegKey();
}
