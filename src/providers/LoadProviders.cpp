#include "Providers.h"
#include "RegistryLayout.h"
#include "RegistryText.h"

namespace {

// Reads ProviderRegKey into CurrentProviderKey. False only when the value
// exists with a type other than REG_SZ; an absent or unreadable value just
// means that no provider is active.
bool ReadCurrentProviderKey(HKEY root)
{
    char data[kTextBufferSize];
    DWORD type = REG_NONE;
    DWORD size = kTextCapacity;
    LONG status = RegQueryValueExA(root, kProviderRegKeyValue, nullptr, &type,
                                   reinterpret_cast<LPBYTE>(data), &size);
    if (status != ERROR_SUCCESS) {
        CurrentProviderKey.clear();
        return true;
    }
    if (type != REG_SZ) {
        OutputDebugStringA("Kelvora: Value is not a string\n");
        return false;
    }
    CurrentProviderKey = TextFromRegistryData(data, size, kTextCapacity);
    return true;
}

// Adds the provider value at `index` to the catalogue. A value whose name or
// data cannot be read whole gives no entry: a truncated name or key would
// point IDEs at the wrong provider. False once the index is past the last
// value, which happens when values vanish after they were counted.
bool ReadProviderAt(HKEY providers, DWORD index)
{
    char name[kTextBufferSize] = "";
    DWORD nameLength = kTextCapacity;
    LONG status = RegEnumValueA(providers, index, name, &nameLength, nullptr,
                                nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS)
        return false;

    char data[kTextBufferSize];
    DWORD type = REG_NONE;
    DWORD size = kTextCapacity;
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExA(providers, name, nullptr, &type,
                                  reinterpret_cast<LPBYTE>(data), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        OutputDebugStringA("Kelvora: Skipping, value of provider is not a string\n");
        return true;
    }
    // emplace keeps an existing entry as it is.
    InstalledProviders.emplace(std::string(name),
                               TextFromRegistryData(data, size, kTextCapacity));
    return true;
}

} // namespace

bool LoadProviders()
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSccRootKey, 0, KEY_READ, &root) != ERROR_SUCCESS) {
        OutputDebugStringA("Kelvora: SCC key doesn't exist\n");
        return false;
    }
    bool currentKeyRead = ReadCurrentProviderKey(root);
    RegCloseKey(root);
    if (!currentKeyRead)
        return false;

    HKEY providers;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstalledProvidersKey, 0, KEY_READ, &providers)
        != ERROR_SUCCESS) {
        OutputDebugStringA("Kelvora: No installed provider key\n");
        return false;
    }
    DWORD valueCount = 0;
    if (RegQueryInfoKeyA(providers, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &valueCount, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        OutputDebugStringA("Kelvora: No installed provider values\n");
        RegCloseKey(providers);
        return false;
    }
    for (DWORD index = 0; index < valueCount; ++index) {
        if (!ReadProviderAt(providers, index))
            break;
    }
    RegCloseKey(providers);
    return true;
}
