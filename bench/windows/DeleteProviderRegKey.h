// The registry work of "Kelvora.exe /d" and nothing else: open the root key
// for writing, delete ProviderRegKey, close. 0 when the value was deleted.
#pragma once

#include <windows.h>

inline int DeleteProviderRegKey()
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\SourceCodeControlProvider", 0, KEY_WRITE,
                      &root) != ERROR_SUCCESS)
        return 1;
    LONG status = RegDeleteValueA(root, "ProviderRegKey");
    RegCloseKey(root);
    return status == ERROR_SUCCESS ? 0 : 1;
}
