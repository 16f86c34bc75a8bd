#pragma once

#include <string>

#include <windows.h>

// The text held in the first `size` bytes of a data buffer that the registry
// filled: up to the first NUL, or all of them when there is none. REG_SZ data
// need not be terminated, and a zero size means an empty string.
std::string TextFromRegistryData(const char* data, DWORD size, DWORD capacity);
