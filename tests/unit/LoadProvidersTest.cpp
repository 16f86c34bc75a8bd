#include "Machine.h"

#include <functional>

namespace {

struct LoadCase {
    const char* label;
    std::function<void()> arrange;
    bool loaded;
    std::string currentKey;
    std::vector<std::string> diagnostics;
};

std::string Bytes(size_t n, char c) { return std::string(n, c); }

class LoadProvidersTest : public Machine {};

TEST_F(LoadProvidersTest, RootKeyAndProviderRegKey)
{
    const std::vector<LoadCase> cases = {
        {"root key missing", [] {}, false, "", {"Kelvora: SCC key doesn't exist\n"}},
        {"root key unreadable",
         [] { Install({}, "k"); fake::DenyAccess(kRoot, KEY_READ); },
         false, "", {"Kelvora: SCC key doesn't exist\n"}},
        {"ProviderRegKey absent", [] { Install({}); }, true, "", {}},
        {"ProviderRegKey a string", [] { Install({}, "MSSCCI:Alpha"); }, true, "MSSCCI:Alpha", {}},
        {"ProviderRegKey empty string", [] { Install({}, ""); }, true, "", {}},
        {"ProviderRegKey of zero bytes",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_SZ, ""); }, true, "", {}},
        {"ProviderRegKey without a NUL",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_SZ, "NoNul"); }, true, "NoNul", {}},
        {"ProviderRegKey of 255 bytes without a NUL fills the buffer",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_SZ, Bytes(255, 'k')); },
         true, Bytes(255, 'k'), {}},
        {"ProviderRegKey with an embedded NUL ends there",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_SZ, std::string("ab\0cd\0", 6)); },
         true, "ab", {}},
        {"ProviderRegKey of 255 characters and a NUL is too long",
         [] { Install({}, Bytes(255, 'k').c_str()); }, true, "", {}},
        {"ProviderRegKey of 4096 bytes is too long",
         [] { Install({}, Bytes(4095, 'k').c_str()); }, true, "", {}},
        {"ProviderRegKey unreadable for another reason",
         [] { Install({}, "k"); fake::FailCall(fake::Call::RegQueryValueExA, 1, ERROR_ACCESS_DENIED); },
         true, "", {}},
        {"ProviderRegKey an expandable string",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_EXPAND_SZ, std::string("%SystemRoot%\0", 13)); },
         false, "", {"Kelvora: Value is not a string\n"}},
        {"ProviderRegKey a number",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_DWORD, std::string("\1\0\0\0", 4)); },
         false, "", {"Kelvora: Value is not a string\n"}},
        {"ProviderRegKey binary",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_BINARY, "k"); },
         false, "", {"Kelvora: Value is not a string\n"}},
        {"InstalledSCCProviders missing though the root is fine",
         [] { fake::SetString(kRoot, "ProviderRegKey", "k"); },
         false, "k", {"Kelvora: No installed provider key\n"}},
        {"InstalledSCCProviders unreadable",
         [] { Install({{"Alpha", "a"}}); fake::DenyAccess(kInstalled, KEY_READ); },
         false, "", {"Kelvora: No installed provider key\n"}},
        {"value count unavailable",
         [] { Install({{"Alpha", "a"}}); fake::FailCall(fake::Call::RegQueryInfoKeyA, 1, ERROR_ACCESS_DENIED); },
         false, "", {"Kelvora: No installed provider values\n"}},
    };
    for (const LoadCase& c : cases) {
        SetUp();
        c.arrange();
        bool loaded = LoadProviders();
        EXPECT_EQ(loaded, c.loaded) << c.label;
        EXPECT_EQ(CurrentProviderKey, c.currentKey) << c.label;
        EXPECT_EQ(fake::DebugOutput(), c.diagnostics) << c.label;
        if (!loaded) {
            EXPECT_TRUE(InstalledProviders.empty()) << c.label << ": a failed load read no provider";
        }
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label << ": key handles left open";
    }
}

struct RawValue {
    std::string name;
    DWORD type;
    std::string data;
};

struct CatalogueCase {
    const char* label;
    std::vector<RawValue> values; // in the registry's enumeration order
    std::vector<std::pair<std::string, std::string>> catalogue;
    std::vector<std::string> diagnostics;
};

const std::string kSkipped = "Kelvora: Skipping, value of provider is not a string\n";

std::string Sz(const std::string& text) { return text + '\0'; }

TEST_F(LoadProvidersTest, Catalogue)
{
    const std::vector<CatalogueCase> cases = {
        {"no providers", {}, {}, {}},
        {"names in unsigned byte order, capitals first, whatever the registry's order",
         {{"beta", REG_SZ, Sz("b")}, {"Gamma", REG_SZ, Sz("g")}, {"Alpha", REG_SZ, Sz("a")},
          {"\xE9" "clair", REG_SZ, Sz("e")}, {"zeta", REG_SZ, Sz("z")}},
         {{"Alpha", "a"}, {"Gamma", "g"}, {"beta", "b"}, {"zeta", "z"}, {"\xE9" "clair", "e"}},
         {}},
        {"a prefix sorts before the longer name",
         {{"abcd", REG_SZ, Sz("4")}, {"abc", REG_SZ, Sz("3")}},
         {{"abc", "3"}, {"abcd", "4"}}, {}},
        {"values of other types are no providers",
         {{"Alpha", REG_SZ, Sz("a")}, {"Count", REG_DWORD, std::string("\1\0\0\0", 4)},
          {"Expand", REG_EXPAND_SZ, Sz("%x%")}, {"Gamma", REG_SZ, Sz("g")}},
         {{"Alpha", "a"}, {"Gamma", "g"}}, {kSkipped, kSkipped}},
        {"the unnamed default value sorts first",
         {{"Alpha", REG_SZ, Sz("a")}, {"", REG_SZ, Sz("default")}},
         {{"", "default"}, {"Alpha", "a"}}, {}},
        {"data without a NUL and with an embedded NUL",
         {{"NoNul", REG_SZ, "plain"}, {"Embedded", REG_SZ, std::string("left\0right\0", 11)},
          {"Empty", REG_SZ, ""}},
         {{"Embedded", "left"}, {"Empty", ""}, {"NoNul", "plain"}}, {}},
        {"a 254-character name and 255 bytes of data are read whole",
         {{std::string(254, 'n'), REG_SZ, std::string(255, 'd')}},
         {{std::string(254, 'n'), std::string(255, 'd')}}, {}},
        {"a name or data that cannot be read whole gives no entry",
         {{std::string(255, 'n'), REG_SZ, Sz("long name")},
          {"Long data", REG_SZ, std::string(256, 'd')},
          {"Alpha", REG_SZ, Sz("a")}},
         {{"Alpha", "a"}}, {kSkipped, kSkipped}},
    };
    for (const CatalogueCase& c : cases) {
        SetUp();
        Install({}, "a");
        for (const RawValue& v : c.values)
            fake::SetValue(kInstalled, v.name, v.type, v.data);
        EXPECT_TRUE(LoadProviders()) << c.label;
        std::vector<std::pair<std::string, std::string>> catalogue(InstalledProviders.begin(),
                                                                   InstalledProviders.end());
        EXPECT_EQ(catalogue, c.catalogue) << c.label;
        EXPECT_EQ(fake::DebugOutput(), c.diagnostics) << c.label;
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label << ": key handles left open";
    }
}

TEST_F(LoadProvidersTest, FailedReadOfOneProviderGivesNoEntryFromItsBuffers)
{
    // The stand-in scribbles over the buffers of a failed call: nothing of
    // them may reach the catalogue.
    const std::vector<std::pair<fake::Call, LONG>> failures = {
        {fake::Call::RegEnumValueA, ERROR_MORE_DATA},
        {fake::Call::RegQueryValueExA, ERROR_MORE_DATA},
        {fake::Call::RegQueryValueExA, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [call, code] : failures) {
        SetUp();
        Install({{"Alpha", "a"}, {"Beta", "b"}}, "a");
        // Occurrence 2 of RegQueryValueExA is Alpha's data; ProviderRegKey is the first.
        fake::FailCall(call, call == fake::Call::RegQueryValueExA ? 2 : 1, code);
        EXPECT_TRUE(LoadProviders());
        std::vector<std::pair<std::string, std::string>> catalogue(InstalledProviders.begin(),
                                                                   InstalledProviders.end());
        std::vector<std::pair<std::string, std::string>> expected = {{"Beta", "b"}};
        EXPECT_EQ(catalogue, expected) << fake::CallName(call) << " failing with " << code;
        EXPECT_EQ(fake::DebugOutput(), std::vector<std::string>{kSkipped});
    }
}

TEST_F(LoadProvidersTest, ValuesThatVanishAfterCountingEndTheEnumeration)
{
    Install({{"Alpha", "a"}, {"Beta", "b"}, {"Gamma", "g"}}, "a");
    fake::AfterCall(fake::Call::RegQueryInfoKeyA, [] {
        fake::DeleteValue(kInstalled, "Beta");
        fake::DeleteValue(kInstalled, "Gamma");
    });
    EXPECT_TRUE(LoadProviders());
    EXPECT_EQ(CatalogueNames(), std::vector<std::string>{"Alpha"});
    EXPECT_TRUE(fake::DebugOutput().empty());
}

} // namespace
