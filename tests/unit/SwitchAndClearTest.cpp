#include "Machine.h"

namespace {

class SwitchAndClearTest : public Machine {};

struct SelectCase {
    const char* label;
    std::string name;
    std::string stored; // ProviderRegKey's bytes afterwards
    std::vector<std::pair<std::string, std::string>> catalogue;
};

TEST_F(SwitchAndClearTest, SelectProviderWritesTheProvidersKeyOrAnEmptyString)
{
    const std::vector<SelectCase> cases = {
        {"known name: the provider's data and one NUL", "Beta",
         std::string("MSSCCI:Beta\0", 12),
         {{"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}}},
        {"unknown name joins with an empty key", "Delta", std::string("\0", 1),
         {{"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}, {"Delta", ""}}},
        {"a name differing only in case is another name", "beta", std::string("\0", 1),
         {{"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}, {"beta", ""}}},
        {"trailing blank makes another name", "Beta ", std::string("\0", 1),
         {{"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}, {"Beta ", ""}}},
        {"the empty name", "", std::string("\0", 1),
         {{"", ""}, {"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}}},
    };
    for (const SelectCase& c : cases) {
        SetUp();
        Install({{"Alpha", "MSSCCI:Alpha"}, {"Beta", "MSSCCI:Beta"}}, "MSSCCI:Alpha");
        ASSERT_TRUE(LoadProviders());
        SelectProvider(c.name);
        EXPECT_EQ(StoredProviderRegKey(), c.stored) << c.label;
        std::vector<std::pair<std::string, std::string>> catalogue(InstalledProviders.begin(),
                                                                   InstalledProviders.end());
        EXPECT_EQ(catalogue, c.catalogue) << c.label;
        EXPECT_EQ(CurrentProviderKey, "MSSCCI:Alpha") << c.label << ": the key read at start-up stays";
        EXPECT_TRUE(fake::DebugOutput().empty()) << c.label;
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label;
    }
}

TEST_F(SwitchAndClearTest, AddedNamesTakeTheirPlaceInByteOrder)
{
    Install({{"ABC", "upper"}});
    ASSERT_TRUE(LoadProviders());
    for (const char* name : {"abcd", "abc", "Abc"})
        SelectProvider(name);
    EXPECT_EQ(CatalogueNames(), (std::vector<std::string>{"ABC", "Abc", "abc", "abcd"}));
    EXPECT_EQ(InstalledProviders["ABC"], "upper");
}

TEST_F(SwitchAndClearTest, SelectProviderWritesNothingWhenTheKeyIsNotWritable)
{
    Install({{"Alpha", "a"}, {"Beta", "b"}}, "a");
    ASSERT_TRUE(LoadProviders());
    fake::DenyAccess(kRoot, KEY_WRITE);
    SelectProvider("Beta");
    EXPECT_EQ(StoredProviderRegKey(), std::string("a\0", 2));
    EXPECT_EQ(fake::DebugOutput(),
              std::vector<std::string>{"Kelvora: Couldn't open SCC key for writing\n"});
}

TEST_F(SwitchAndClearTest, SelectProviderReportsAFailedWrite)
{
    Install({{"Beta", "b"}}, "a");
    ASSERT_TRUE(LoadProviders());
    fake::FailCall(fake::Call::RegSetValueExA, 1, ERROR_ACCESS_DENIED);
    SelectProvider("Beta");
    EXPECT_EQ(StoredProviderRegKey(), std::string("a\0", 2));
    EXPECT_EQ(fake::DebugOutput(), std::vector<std::string>{"Kelvora: Couldn't set ProviderRegKey\n"});
}

struct ClearCase {
    const char* label;
    std::function<void()> arrange;
    std::vector<int> results; // of successive runs
    std::string storedAfter;
};

TEST_F(SwitchAndClearTest, ClearProvider)
{
    const std::vector<ClearCase> cases = {
        {"deletes the value", [] { Install({}, "a"); }, {0}, "<absent>"},
        {"a second run finds nothing", [] { Install({}, "a"); }, {0, 1}, "<absent>"},
        {"an empty value is still deleted", [] { Install({}, ""); }, {0}, "<absent>"},
        {"a value of another type is deleted too",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_DWORD, std::string(4, '\0')); },
         {0}, "<absent>"},
        {"value absent", [] { Install({}); }, {1}, "<absent>"},
        {"root key missing", [] {}, {1}, "<absent>"},
        {"root key not writable",
         [] { Install({}, "a"); fake::DenyAccess(kRoot, KEY_WRITE); }, {1}, std::string("a\0", 2)},
    };
    for (const ClearCase& c : cases) {
        SetUp();
        c.arrange();
        std::vector<int> results;
        for (size_t run = 0; run < c.results.size(); ++run)
            results.push_back(ClearProvider());
        EXPECT_EQ(results, c.results) << c.label;
        EXPECT_EQ(StoredProviderRegKey(), c.storedAfter) << c.label;
        EXPECT_TRUE(fake::DebugOutput().empty()) << c.label;
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label;
    }
}

} // namespace
