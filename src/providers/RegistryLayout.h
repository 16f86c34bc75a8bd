// Where the provider configuration lives under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

constexpr const char* kSccRootKey = "SOFTWARE\\SourceCodeControlProvider";
constexpr const char* kInstalledProvidersKey =
    "SOFTWARE\\SourceCodeControlProvider\\InstalledSCCProviders";
constexpr const char* kProviderRegKeyValue = "ProviderRegKey";

// Every read of a name or data goes through a 256-byte stack buffer; the
// registry is told one byte less so that a terminator always fits.
constexpr DWORD kTextBufferSize = 256;
constexpr DWORD kTextCapacity = kTextBufferSize - 1;
