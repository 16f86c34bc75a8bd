#include "Providers.h"
#include "RegistryLayout.h"

void SelectProvider(const std::string& displayName)
{
    // An unknown name stays in the catalogue for the rest of the run, so the
    // dialog opened afterwards lists it too.
    const std::string& providerKey =
        InstalledProviders.emplace(displayName, std::string()).first->second;

    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSccRootKey, 0, KEY_WRITE, &root) != ERROR_SUCCESS) {
        OutputDebugStringA("Kelvora: Couldn't open SCC key for writing\n");
        return;
    }
    // REG_SZ is stored with its terminator: the size counts the NUL.
    LONG status = RegSetValueExA(root, kProviderRegKeyValue, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(providerKey.c_str()),
                                 static_cast<DWORD>(providerKey.size() + 1));
    RegCloseKey(root);
    if (status != ERROR_SUCCESS)
        OutputDebugStringA("Kelvora: Couldn't set ProviderRegKey\n");
}
