#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entry/CommandLineTail.h"

namespace {

struct TailCase {
    const char* label;
    std::string commandLine;
    std::string tail;
};

TEST(CommandLineTail, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    const std::vector<TailCase> cases = {
        {"unquoted path with a byte above 0x7F", "C:\\Tools\\J\xF6rg\\Kelvora.exe /d", "/d"},
        {"quoted path, tail starting with a byte above 0x7F", "\"C:\\kel\\Kelvora.exe\" \xE9" "clair",
         "\xE9" "clair"},
        {"quoted path directly followed by the tail", "\"C:\\kel\\Kelvora.exe\"/d", "/d"},
        {"quoted path with blanks inside", "\"C:\\Program Files\\Kelvora\\Kelvora.exe\" Beta",
         "Beta"},
        {"several blanks", "Kelvora.exe    /d", "/d"},
        {"tab and other control bytes after the name", "Kelvora.exe\t\x01\x1f /d", "/d"},
        {"control byte ends an unquoted name", "Kelvora.exe\x05/d", "/d"},
        {"blanks inside and at the end are kept", "Kelvora.exe Beta  Two  ", "Beta  Two  "},
        {"quotes around an argument are kept", "Kelvora.exe \"Beta Two\"", "\"Beta Two\""},
        {"/d followed by a blank keeps the blank", "Kelvora.exe /d ", "/d "},
        {"name alone", "Kelvora.exe", ""},
        {"name and blanks only", "Kelvora.exe   ", ""},
        {"quoted name alone", "\"C:\\kel\\Kelvora.exe\"", ""},
        {"unterminated quote takes the whole line as the name", "\"C:\\kel\\Kelvora.exe /d", ""},
        {"empty command line", "", ""},
        {"a quote inside an unquoted name does not start quoting", "C:\\a\"b\\Kelvora.exe /d", "/d"},
        {"bytes 0x80 to 0xFF are never blanks", "Kelvora.exe \xA0\xFF", "\xA0\xFF"},
    };
    for (const TailCase& c : cases)
        EXPECT_EQ(std::string(CommandLineTail(c.commandLine.c_str())), c.tail) << c.label;
}

TEST(CommandLineTail, NoCommandLineGivesAnEmptyTail)
{
    EXPECT_STREQ(CommandLineTail(nullptr), "");
}

} // namespace
