#include "RegistryText.h"

#include <cstring>

std::string TextFromRegistryData(const char* data, DWORD size, DWORD capacity)
{
    // A successful read never reports more than the capacity, but the buffer
    // must not be overrun if some registry implementation ever does.
    if (size > capacity)
        size = capacity;
    const void* nul = std::memchr(data, '\0', size);
    size_t length = nul ? static_cast<const char*>(nul) - data : size;
    return std::string(data, length);
}
