#include "Machine.h"

#include "dialog/ProviderDialog.h"

namespace {

class ProviderDialogTest : public Machine {
protected:
    // Loads the registry as the program does, then runs the dialog with
    // `script` as the user; returns its end code.
    static INT_PTR Run(fake::DialogScript script)
    {
        EXPECT_TRUE(LoadProviders());
        fake::SetDialogScript(std::move(script));
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), nullptr, ProviderDialogProc, 0);
    }
};

struct FillCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> providers;
    const char* active; // nullptr: ProviderRegKey absent
    std::vector<std::string> items;
    int selection;
};

TEST_F(ProviderDialogTest, ListsTheCatalogueAndSelectsTheActiveProvider)
{
    const std::vector<FillCase> cases = {
        {"catalogue order, not the control's", {{"beta", "b"}, {"Gamma", "g"}, {"Alpha", "a"}}, "g",
         {"Alpha", "Gamma", "beta"}, 1},
        {"the last of several matches", {{"One", "same"}, {"Two", "same"}, {"Zero", "other"}}, "same",
         {"One", "Two", "Zero"}, 1},
        {"no match selects nothing", {{"Alpha", "a"}}, "gone", {"Alpha"}, -1},
        {"empty catalogue", {}, "a", {}, -1},
        {"key compared without case folding", {{"Alpha", "MSSCCI:Alpha"}}, "msscci:alpha", {"Alpha"},
         -1},
        {"an absent key matches an empty one", {{"Alpha", "a"}, {"Blank", ""}}, nullptr,
         {"Alpha", "Blank"}, 1},
    };
    for (const FillCase& c : cases) {
        SetUp();
        Install(c.providers, c.active);
        Run([](HWND d) { fake::SendCommand(d, IDCANCEL); });
        EXPECT_EQ(fake::Dialog().items, c.items) << c.label;
        // What the list showed when the dialog opened is what OK would take;
        // Cancel does not change the selection.
        EXPECT_EQ(fake::Dialog().selection, c.selection) << c.label;
    }
}

struct ActionCase {
    const char* label;
    fake::DialogScript script;
    INT_PTR endCode;
    std::string stored;
};

TEST_F(ProviderDialogTest, OkAppliesTheChoiceAndCancelWritesNothing)
{
    const std::string before("a\0", 2);
    const std::vector<ActionCase> cases = {
        {"OK as shown writes the same key back", [](HWND d) { fake::SendCommand(d, IDOK); }, 0, before},
        {"OK on another provider",
         [](HWND d) { fake::ChooseItem(2); fake::SendCommand(d, IDOK); }, 0, std::string("g\0", 2)},
        {"OK with nothing selected writes an empty string",
         [](HWND d) { fake::ChooseItem(-1); fake::SendCommand(d, IDOK); }, 0, std::string("\0", 1)},
        {"OK by accelerator (notification 1)",
         [](HWND d) { fake::ChooseItem(1); fake::SendCommand(d, IDOK, 1); }, 0, std::string("b\0", 2)},
        {"Cancel after choosing another provider",
         [](HWND d) { fake::ChooseItem(2); fake::SendCommand(d, IDCANCEL); }, 1, before},
        {"Esc and the close box arrive as IDCANCEL",
         [](HWND d) { fake::SendCommand(d, IDCANCEL, 0); }, 1, before},
    };
    for (const ActionCase& c : cases) {
        SetUp();
        Install({{"Alpha", "a"}, {"Beta", "b"}, {"Gamma", "g"}}, "a");
        EXPECT_EQ(Run(c.script), c.endCode) << c.label;
        EXPECT_TRUE(fake::Dialog().closedInsideHandler) << c.label;
        EXPECT_EQ(StoredProviderRegKey(), c.stored) << c.label;
        EXPECT_EQ(fake::OpenKeyCount(), 0) << c.label;
    }
}

TEST_F(ProviderDialogTest, EmptyListThenOkWritesAnEmptyString)
{
    Install({}, "a");
    EXPECT_EQ(Run([](HWND d) { fake::SendCommand(d, IDOK); }), 0);
    EXPECT_EQ(StoredProviderRegKey(), std::string("\0", 1));
}

TEST_F(ProviderDialogTest, OtherMessagesAreLeftToTheDialogManager)
{
    Install({{"Alpha", "a"}}, "a");
    std::vector<INT_PTR> results;
    Run([&](HWND d) {
        const int cbnSelChange = 1;
        results.push_back(fake::SendCommand(d, 1001, cbnSelChange));
        results.push_back(fake::SendCommand(d, 3));
        results.push_back(fake::SendToDialog(d, WM_CLOSE, 0, 0));
        results.push_back(fake::SendToDialog(d, 0x0200 /* WM_MOUSEMOVE */, 0, 0));
        EXPECT_FALSE(fake::Dialog().ended);
        fake::SendCommand(d, IDCANCEL);
    });
    EXPECT_EQ(results, (std::vector<INT_PTR>{FALSE, FALSE, FALSE, FALSE}));
    EXPECT_EQ(StoredProviderRegKey(), std::string("a\0", 2));
}

} // namespace
