#include "Machine.h"

#include <optional>

namespace {

const std::string kEmpty("\0", 1);
const std::string kGetProviders = "Kelvora: Couldn't get providers";

// The usual machine: three providers, Alpha active.
void ThreeProviders()
{
    Machine::Install({{"Alpha", "MSSCCI:Alpha"}, {"Beta Two", "MSSCCI:Beta"}, {"Gamma", "MSSCCI:Gamma"}},
                     "MSSCCI:Alpha");
}

enum class User { None, Cancel, OkAsShown, OkOnLast };

void Script(User user)
{
    switch (user) {
    case User::None:
    case User::Cancel:
        fake::SetDialogScript([](HWND d) { fake::SendCommand(d, IDCANCEL); });
        break;
    case User::OkAsShown:
        fake::SetDialogScript([](HWND d) { fake::SendCommand(d, IDOK); });
        break;
    case User::OkOnLast:
        fake::SetDialogScript([](HWND d) {
            fake::ChooseItem(static_cast<int>(fake::Dialog().items.size()) - 1);
            fake::SendCommand(d, IDOK);
        });
        break;
    }
}

struct EntryCase {
    const char* label;
    std::function<void()> arrange;
    std::optional<std::string> tail; // nullopt: no tail at all
    User user;
    int exitCode;
    bool dialogOpened;
    std::string stored; // ProviderRegKey's bytes afterwards
    std::vector<std::string> diagnostics;
};

class WinMainTest : public Machine {};

TEST_F(WinMainTest, CommandLineAndExitCodes)
{
    const std::string alpha("MSSCCI:Alpha\0", 13);
    const std::string beta("MSSCCI:Beta\0", 12);
    const std::string gamma("MSSCCI:Gamma\0", 13);
    const std::vector<EntryCase> cases = {
        {"/d clears", ThreeProviders, "/d", User::None, 0, false, "<absent>", {}},
        {"/d with nothing to clear", [] { Install({{"Alpha", "a"}}); }, "/d", User::None, 1, false,
         "<absent>", {}},
        {"/d with the root key not writable",
         [] { ThreeProviders(); fake::DenyAccess(kRoot, KEY_WRITE); }, "/d", User::None, 1, false,
         alpha, {}},
        {"/D is a display name", ThreeProviders, "/D", User::Cancel, 0, true, kEmpty, {}},
        {"/d and a blank is a display name", ThreeProviders, "/d ", User::Cancel, 0, true, kEmpty, {}},
        {"empty tail opens the dialog, Cancel writes nothing", ThreeProviders, "", User::Cancel, 0,
         true, alpha, {}},
        {"no tail at all", ThreeProviders, std::nullopt, User::Cancel, 0, true, alpha, {}},
        {"empty tail, OK writes the preselected provider back", ThreeProviders, "", User::OkAsShown, 0,
         true, alpha, {}},
        {"name with blanks, unquoted, then Cancel", ThreeProviders, "Beta Two", User::Cancel, 0, true,
         beta, {}},
        {"quoted name matches nothing", ThreeProviders, "\"Beta Two\"", User::Cancel, 0, true, kEmpty,
         {}},
        {"name then OK: the dialog's choice wins", ThreeProviders, "Beta Two", User::OkOnLast, 0, true,
         gamma, {}},
        {"name then OK on the preselection: the key read at start-up is written back", ThreeProviders,
         "Beta Two", User::OkAsShown, 0, true, alpha, {}},
        {"/d with InstalledSCCProviders missing",
         [] { fake::SetString(kRoot, "ProviderRegKey", "MSSCCI:Alpha"); }, "/d", User::None, 3, false,
         alpha, {"Kelvora: No installed provider key\n", kGetProviders}},
        {"a name with the root key missing", [] {}, "Beta Two", User::None, 3, false, "<absent>",
         {"Kelvora: SCC key doesn't exist\n", kGetProviders}},
        {"no tail and ProviderRegKey a number",
         [] { Install({}); fake::SetValue(kRoot, "ProviderRegKey", REG_DWORD, std::string(4, '\0')); },
         "", User::None, 3, false, "<type 4>", {"Kelvora: Value is not a string\n", kGetProviders}},
        {"dialog template missing",
         [] { ThreeProviders(); fake::FailDialogCreation(ERROR_RESOURCE_NAME_NOT_FOUND); }, "",
         User::None, 2, false, alpha, {"Kelvora: Couldn't make dialog window (716)\n"}},
        {"no window station; the switch before it stays",
         [] { ThreeProviders(); fake::FailDialogCreation(ERROR_NO_WINDOW_STATION); }, "Gamma",
         User::None, 2, false, gamma, {"Kelvora: Couldn't make dialog window (578)\n"}},
    };
    for (const EntryCase& c : cases) {
        SetUp();
        c.arrange();
        Script(c.user);
        std::string tail = c.tail.value_or("");
        int exitCode = WinMain(nullptr, nullptr, c.tail ? tail.data() : nullptr, 1);
        EXPECT_EQ(exitCode, c.exitCode) << c.label;
        EXPECT_EQ(fake::Dialog().created, c.dialogOpened) << c.label;
        EXPECT_EQ(fake::InitCommonControlsCount(), c.exitCode == 2 || c.dialogOpened ? 1 : 0)
            << c.label << ": common controls made ready only for the dialog";
        EXPECT_EQ(StoredProviderRegKey(), c.stored) << c.label;
        EXPECT_EQ(fake::DebugOutput(), c.diagnostics) << c.label;
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label << ": key handles left open";
    }
}

TEST_F(WinMainTest, DialogComesFromTheProviderTemplateAndListsACommandLineName)
{
    ThreeProviders();
    std::string tail = "/D";
    EXPECT_EQ(WinMain(nullptr, nullptr, tail.data(), 1), 0);
    EXPECT_EQ(fake::Dialog().templateId, 101);
    EXPECT_EQ(fake::Dialog().items, (std::vector<std::string>{"/D", "Alpha", "Beta Two", "Gamma"}));
    EXPECT_EQ(InstalledProviders["/D"], "");
}

TEST_F(WinMainTest, DialogFailureCodeIsLowerCaseHexWithoutLeadingZeros)
{
    ThreeProviders();
    fake::FailDialogCreation(0x8007000e);
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 2);
    EXPECT_EQ(fake::DebugOutput(),
              std::vector<std::string>{"Kelvora: Couldn't make dialog window (8007000e)\n"});
}

} // namespace
