// The machine-wide source-code-control provider configuration: the catalogue
// of installed providers, the key of the active one, and the two changes the
// program can make to the registry.
#pragma once

#include <map>
#include <string>

// Display name -> provider key, in unsigned byte order of the names.
extern std::map<std::string, std::string> InstalledProviders;

// ProviderRegKey as read at start-up; empty when it could not be read.
extern std::string CurrentProviderKey;

// Reads the configuration into the two objects above. False when it could not
// be read; the reason has already gone to the debug output.
bool LoadProviders();

// Makes the provider with this display name the active one. A name the
// catalogue lacks joins it with an empty key, so ProviderRegKey becomes empty.
void SelectProvider(const std::string& displayName);

// Deletes ProviderRegKey. 0 when it was deleted, 1 otherwise.
int ClearProvider();
