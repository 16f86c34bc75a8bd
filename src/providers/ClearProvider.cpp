#include "Providers.h"
#include "RegistryLayout.h"

int ClearProvider()
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSccRootKey, 0, KEY_WRITE, &root) != ERROR_SUCCESS)
        return 1;
    // An absent value (ERROR_FILE_NOT_FOUND) counts as nothing deleted.
    LONG status = RegDeleteValueA(root, kProviderRegKeyValue);
    RegCloseKey(root);
    return status == ERROR_SUCCESS ? 0 : 1;
}
