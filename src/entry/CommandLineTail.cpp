#include "CommandLineTail.h"

namespace {

bool IsBlank(unsigned char c)
{
    return c >= 1 && c <= ' ';
}

} // namespace

const char* CommandLineTail(const char* commandLine)
{
    if (!commandLine)
        return "";
    auto p = reinterpret_cast<const unsigned char*>(commandLine);
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && !IsBlank(*p))
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    return reinterpret_cast<const char*>(p);
}
