// Registries that any installer on the machine could have written, run
// through the whole program: odd lengths, odd bytes, odd types, values that
// change while they are read, and a very long list. The program runs
// elevated and trusts this key, so whatever it holds the run must end with
// the documented exit code, list only providers it read whole, write only
// what the user chose, and close every key.
#include "Machine.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

const std::string kGetProviders = "Kelvora: Couldn't get providers";
const std::string kSkipped = "Kelvora: Skipping, value of provider is not a string\n";
const std::string kNotAString = "Kelvora: Value is not a string\n";
const std::string kNoOpenForWriting = "Kelvora: Couldn't open SCC key for writing\n";
constexpr DWORD REG_QWORD = 11;
constexpr int kNoDialog = -2;

std::string Sz(const std::string& text) { return text + '\0'; }
std::string Chars(size_t count, char c) { return std::string(count, c); }
std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

// Every byte from 0x80 to 0xFF once, in order.
std::string HighBytes()
{
    std::string bytes;
    for (int c = 0x80; c <= 0xff; ++c)
        bytes += static_cast<char>(c);
    return bytes;
}

struct Raw {
    std::string name;
    DWORD type;
    std::string data;
};

const Raw kAlpha = {"Alpha", REG_SZ, Sz("KeyA")};

// InstalledSCCProviders with `values` in this enumeration order, and
// ProviderRegKey as `active` (absent when nullopt).
std::function<void()> Registry(std::vector<Raw> values,
                               std::optional<Raw> active = Raw{"ProviderRegKey", REG_SZ, Sz("KeyA")})
{
    return [values, active] {
        fake::CreateKey(kInstalled);
        for (const Raw& v : values)
            fake::SetValue(kInstalled, v.name, v.type, v.data);
        if (active)
            fake::SetValue(kRoot, "ProviderRegKey", active->type, active->data);
    };
}

std::optional<Raw> Active(DWORD type, const std::string& data)
{
    return Raw{"ProviderRegKey", type, data};
}

// What the user does in the dialog.
struct User {
    bool ok;
    std::optional<std::string> choose; // pick this listed name first
};
const User kCancel = {false, std::nullopt};
const User kOkAsShown = {true, std::nullopt};
User OkOn(const std::string& name) { return {true, name}; }

using Catalogue = std::vector<std::pair<std::string, std::string>>;

struct HostileCase {
    const char* label;
    std::function<void()> arrange;
    std::function<void()> during; // changes the registry while it is read
    std::string tail;
    User user;
    int exitCode;
    std::vector<std::string> debug;
    std::optional<fake::Value> stored; // ProviderRegKey afterwards
    Catalogue catalogue;
    int preselected; // the item selected when the dialog opened, or kNoDialog
};

fake::Value Stored(const std::string& bytes) { return {REG_SZ, bytes}; }
const fake::Value kStoredA = Stored(Sz("KeyA"));

// Each time `call` completes for the `nth` time, run `action` (once).
std::function<void()> After(fake::Call call, int nth, std::function<void()> action)
{
    return [=] {
        auto count = std::make_shared<int>(0);
        fake::AfterCall(call, [=] {
            if (++*count == nth)
                action();
        });
    };
}

class HostileRegistry : public Machine {
protected:
    void Fresh() { Machine::SetUp(); }

    // The whole program from WinMain, with the user's action scripted; the
    // selection on opening goes to `preselected`.
    static int Run(const std::string& tail, const User& user, int& preselected)
    {
        preselected = kNoDialog;
        fake::SetDialogScript([&preselected, user](HWND dialog) {
            preselected = fake::Dialog().selection;
            if (!user.ok) {
                fake::SendCommand(dialog, IDCANCEL);
                return;
            }
            if (user.choose) {
                const auto& items = fake::Dialog().items;
                auto it = std::find(items.begin(), items.end(), *user.choose);
                if (it == items.end())
                    ADD_FAILURE() << "the dialog does not list the name to choose";
                fake::ChooseItem(it == items.end() ? -1 : static_cast<int>(it - items.begin()));
            }
            fake::SendCommand(dialog, IDOK);
        });
        std::string copy = tail;
        return WinMain(nullptr, nullptr, copy.data(), 1);
    }
};

TEST_F(HostileRegistry, ContentsThroughTheWholeRun)
{
    const std::string n253 = Chars(253, 'n'), n254 = Chars(254, 'n');
    const std::string n255 = Chars(255, 'n'), n300 = Chars(300, 'n');
    const std::string jorg = "J\xf6rg", high = HighBytes();
    const std::vector<HostileCase> cases = {
        // --- Names. The name buffer holds 255 characters with the
        // terminator, so 254 is the longest name that is read whole.
        {"253-character name is listed and can be chosen",
         Registry({kAlpha, {n253, REG_SZ, Sz("Key253")}}), nullptr, "", OkOn(n253),
         0, {}, Stored(Sz("Key253")), {{"Alpha", "KeyA"}, {n253, "Key253"}}, 0},
        {"254-character name is listed and can be chosen",
         Registry({kAlpha, {n254, REG_SZ, Sz("Key254")}}), nullptr, "", OkOn(n254),
         0, {}, Stored(Sz("Key254")), {{"Alpha", "KeyA"}, {n254, "Key254"}}, 0},
        {"255-character name is skipped, the others stay listed",
         Registry({{n255, REG_SZ, Sz("Key255")}, kAlpha}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"300-character name is skipped",
         Registry({kAlpha, {n300, REG_SZ, Sz("Key300")}}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        // A truncated name could match another provider; the unreadable one
        // is simply not there, so naming it selects no provider at all.
        {"a skipped provider named on the command line is an unknown name",
         Registry({kAlpha, {n300, REG_SZ, Sz("Key300")}}), nullptr, n300, kCancel,
         0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {n300, ""}}, 0},
        // Only the command line can bring a name longer than the dialog's
        // 255-character text; it has no key, and neither has its truncation,
        // so OK on it still leaves no provider active.
        {"command-line name longer than the dialog's text buffer, then OK on it",
         Registry({kAlpha}), nullptr, n300, OkOn(n300),
         0, {}, Stored(Sz("")), {{"Alpha", "KeyA"}, {n255, ""}, {n300, ""}}, 0},

        // --- Data. 255 bytes is the capacity; the text runs to the first NUL.
        {"254 bytes of data with its NUL",
         Registry({kAlpha, {"Data", REG_SZ, Sz(Chars(253, 'd'))}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz(Chars(253, 'd'))), {{"Alpha", "KeyA"}, {"Data", Chars(253, 'd')}}, 0},
        {"255 bytes of data with its NUL",
         Registry({kAlpha, {"Data", REG_SZ, Sz(Chars(254, 'd'))}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz(Chars(254, 'd'))), {{"Alpha", "KeyA"}, {"Data", Chars(254, 'd')}}, 0},
        {"256 bytes of data with its NUL are skipped",
         Registry({kAlpha, {"Data", REG_SZ, Sz(Chars(255, 'd'))}}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"4,096 bytes of data are skipped",
         Registry({{"Data", REG_SZ, Sz(Chars(4095, 'd'))}, kAlpha}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        // Written back, a key that had no NUL gets one: 256 bytes.
        {"255 bytes with no NUL are the whole key",
         Registry({kAlpha, {"Data", REG_SZ, Chars(255, 'd')}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz(Chars(255, 'd'))), {{"Alpha", "KeyA"}, {"Data", Chars(255, 'd')}}, 0},
        {"254 bytes with no NUL are the whole key",
         Registry({kAlpha, {"Data", REG_SZ, Chars(254, 'd')}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz(Chars(254, 'd'))), {{"Alpha", "KeyA"}, {"Data", Chars(254, 'd')}}, 0},
        {"256 bytes with no NUL are skipped",
         Registry({kAlpha, {"Data", REG_SZ, Chars(256, 'd')}}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"embedded NUL: the key ends there",
         Registry({kAlpha, {"Data", REG_SZ, Bytes("KeyX\0rest\0", 10)}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz("KeyX")), {{"Alpha", "KeyA"}, {"Data", "KeyX"}}, 0},
        // An empty key is no provider: choosing it, like an empty active
        // key, means that none is active.
        {"data that starts with a NUL is an empty key, preselected by an empty active key",
         Registry({kAlpha, {"Data", REG_SZ, Bytes("\0KeyX", 5)}}, Active(REG_SZ, Sz(""))), nullptr,
         "", kOkAsShown, 0, {}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Data", ""}}, 1},
        {"empty data (0 bytes) is an empty key, and OK on it writes one NUL",
         Registry({kAlpha, {"Data", REG_SZ, ""}}), nullptr, "", OkOn("Data"),
         0, {}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Data", ""}}, 0},

        // --- Bytes 0x80 to 0xFF are text in the ANSI code page, compared
        // unsigned: they sort after every ASCII name.
        {"high bytes in names and data, the name given on the command line",
         Registry({{high, REG_SZ, Sz(high)}, kAlpha, {jorg, REG_SZ, Sz("Key\xe9")}}), nullptr, jorg,
         kCancel, 0, {}, Stored(Sz("Key\xe9")),
         {{"Alpha", "KeyA"}, {jorg, "Key\xe9"}, {high, high}}, 0},
        {"high bytes in the active key preselect their provider and are written back whole",
         Registry({kAlpha, {high, REG_SZ, Sz(high)}}, Active(REG_SZ, Sz(high))), nullptr, "",
         kOkAsShown, 0, {}, Stored(Sz(high)), {{"Alpha", "KeyA"}, {high, high}}, 1},
        {"control characters, a backslash and a trailing blank belong to the name",
         Registry({kAlpha, {"Team\\Foundation\t2 ", REG_SZ, Sz("KeyT")}}), nullptr,
         "Team\\Foundation\t2 ", kCancel, 0, {}, Stored(Sz("KeyT")),
         {{"Alpha", "KeyA"}, {"Team\\Foundation\t2 ", "KeyT"}}, 0},

        // --- Provider values of other types are no providers. Naming one on
        // the command line therefore selects no provider.
        {"REG_EXPAND_SZ provider", Registry({kAlpha, {"Other", REG_EXPAND_SZ, Sz("%SystemRoot%")}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"REG_MULTI_SZ provider", Registry({kAlpha, {"Other", REG_MULTI_SZ, Bytes("a\0b\0\0", 5)}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"REG_BINARY provider", Registry({kAlpha, {"Other", REG_BINARY, Bytes("\x01\x00\xff", 3)}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"REG_DWORD provider", Registry({kAlpha, {"Other", REG_DWORD, Bytes("\x01\0\0\0", 4)}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"REG_NONE provider", Registry({kAlpha, {"Other", REG_NONE, ""}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"REG_QWORD provider", Registry({kAlpha, {"Other", REG_QWORD, Chars(8, '\x07')}}),
         nullptr, "Other", kCancel, 0, {kSkipped}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Other", ""}}, 0},
        {"an undefined type code (0xffff) holding string data is no provider",
         Registry({kAlpha, {"Other", 0xffff, Sz("KeyO")}}),
         nullptr, "", kCancel, 0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},

        // --- ProviderRegKey itself.
        {"ProviderRegKey REG_EXPAND_SZ", Registry({kAlpha}, Active(REG_EXPAND_SZ, Sz("KeyA"))),
         nullptr, "", kCancel, 3, {kNotAString, kGetProviders},
         fake::Value{REG_EXPAND_SZ, Sz("KeyA")}, {}, kNoDialog},
        {"ProviderRegKey REG_MULTI_SZ", Registry({kAlpha}, Active(REG_MULTI_SZ, Bytes("KeyA\0\0", 6))),
         nullptr, "Alpha", kCancel, 3, {kNotAString, kGetProviders},
         fake::Value{REG_MULTI_SZ, Bytes("KeyA\0\0", 6)}, {}, kNoDialog},
        {"ProviderRegKey REG_BINARY", Registry({kAlpha}, Active(REG_BINARY, "KeyA")),
         nullptr, "", kCancel, 3, {kNotAString, kGetProviders},
         fake::Value{REG_BINARY, "KeyA"}, {}, kNoDialog},
        {"ProviderRegKey REG_DWORD, and /d deletes nothing",
         Registry({kAlpha}, Active(REG_DWORD, Bytes("\0\0\0\0", 4))),
         nullptr, "/d", kCancel, 3, {kNotAString, kGetProviders},
         fake::Value{REG_DWORD, Bytes("\0\0\0\0", 4)}, {}, kNoDialog},
        {"ProviderRegKey REG_NONE with no data", Registry({kAlpha}, Active(REG_NONE, "")),
         nullptr, "", kCancel, 3, {kNotAString, kGetProviders}, fake::Value{REG_NONE, ""}, {}, kNoDialog},
        // Too long to read, its type is never looked at: an unreadable value
        // just means that no provider is active.
        {"ProviderRegKey REG_BINARY of 4,096 bytes cannot be read, so no provider is active",
         Registry({kAlpha}, Active(REG_BINARY, Chars(4096, 'b'))), nullptr, "", kCancel,
         0, {}, fake::Value{REG_BINARY, Chars(4096, 'b')}, {{"Alpha", "KeyA"}}, -1},
        // Not even the provider whose key its first 255 bytes spell is taken
        // for the active one: a truncated read is no read.
        {"ProviderRegKey of 256 bytes cannot be read: nothing preselected, Cancel keeps it",
         Registry({kAlpha, {"Long", REG_SZ, Chars(255, 'k')}}, Active(REG_SZ, Sz(Chars(255, 'k')))),
         nullptr, "", kCancel, 0, {}, Stored(Sz(Chars(255, 'k'))),
         {{"Alpha", "KeyA"}, {"Long", Chars(255, 'k')}}, -1},
        {"ProviderRegKey of 255 bytes with no NUL preselects the provider with that key",
         Registry({kAlpha, {"Long", REG_SZ, Chars(255, 'k')}}, Active(REG_SZ, Chars(255, 'k'))),
         nullptr, "", kOkAsShown, 0, {}, Stored(Sz(Chars(255, 'k'))),
         {{"Alpha", "KeyA"}, {"Long", Chars(255, 'k')}}, 1},
        {"ProviderRegKey of 0 bytes preselects the provider with an empty key",
         Registry({kAlpha, {"Empty", REG_SZ, Sz("")}}, Active(REG_SZ, "")), nullptr, "", kCancel,
         0, {}, Stored(""), {{"Alpha", "KeyA"}, {"Empty", ""}}, 1},
        {"ProviderRegKey with an embedded NUL is the text before it",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}}, Active(REG_SZ, Bytes("KeyA\0KeyB\0", 10))),
         nullptr, "", kCancel, 0, {}, Stored(Bytes("KeyA\0KeyB\0", 10)),
         {{"Alpha", "KeyA"}, {"Beta", "KeyB"}}, 0},

        // --- The unnamed default value.
        {"default value as a provider: listed first, and OK on it writes its key",
         Registry({kAlpha, {"", REG_SZ, Sz("KeyD")}}), nullptr, "", OkOn(""),
         0, {}, Stored(Sz("KeyD")), {{"", "KeyD"}, {"Alpha", "KeyA"}}, 1},
        {"default value of another type is skipped",
         Registry({{"", REG_DWORD, Bytes("\1\0\0\0", 4)}, kAlpha}), nullptr, "", kCancel,
         0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},

        // --- Values changing while they are read. Values that vanish after
        // the count end the enumeration early, with no message: what is left
        // was read whole. A value installed after the count waits for the
        // next start.
        {"the last value vanishes after the count",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}, {"Gamma", REG_SZ, Sz("KeyG")}}),
         After(fake::Call::RegQueryInfoKeyA, 1, [] { fake::DeleteValue(kInstalled, "Gamma"); }),
         "", kCancel, 0, {}, kStoredA, {{"Alpha", "KeyA"}, {"Beta", "KeyB"}}, 0},
        {"the first value vanishes after the count: the rest shift down and are all read",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}, {"Gamma", REG_SZ, Sz("KeyG")}}),
         After(fake::Call::RegQueryInfoKeyA, 1, [] { fake::DeleteValue(kInstalled, "Alpha"); }),
         "", kCancel, 0, {}, kStoredA, {{"Beta", "KeyB"}, {"Gamma", "KeyG"}}, -1},
        {"every value vanishes after the count: empty list, OK writes an empty key",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}}),
         After(fake::Call::RegQueryInfoKeyA, 1,
               [] {
                   fake::DeleteValue(kInstalled, "Alpha");
                   fake::DeleteValue(kInstalled, "Beta");
               }),
         "", kOkAsShown, 0, {}, Stored(Sz("")), {{"", ""}}, -1},
        {"a value vanishes between its name and its data",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}}),
         After(fake::Call::RegEnumValueA, 2, [] { fake::DeleteValue(kInstalled, "Beta"); }),
         "", kCancel, 0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"a value grows past the capacity between its name and its data",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}}),
         After(fake::Call::RegEnumValueA, 2,
               [] { fake::SetString(kInstalled, "Beta", Chars(300, 'b')); }),
         "", kCancel, 0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"a value turns into a number between its name and its data",
         Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}}),
         After(fake::Call::RegEnumValueA, 2,
               [] { fake::SetValue(kInstalled, "Beta", REG_DWORD, Bytes("\1\0\0\0", 4)); }),
         "", kCancel, 0, {kSkipped}, kStoredA, {{"Alpha", "KeyA"}}, 0},
        {"a value installed after the count is not listed",
         Registry({kAlpha}),
         After(fake::Call::RegQueryInfoKeyA, 1,
               [] { fake::SetString(kInstalled, "Zulu", "KeyZ"); }),
         "Zulu", kCancel, 0, {}, Stored(Sz("")), {{"Alpha", "KeyA"}, {"Zulu", ""}}, 0},

        // --- Keys the program may read but not write (an unelevated run).
        {"root key not writable: neither the command line nor OK writes",
         [] {
             Registry({kAlpha, {"Beta", REG_SZ, Sz("KeyB")}})();
             fake::DenyAccess(kRoot, KEY_WRITE);
         },
         nullptr, "Beta", OkOn("Beta"), 0, {kNoOpenForWriting, kNoOpenForWriting}, kStoredA,
         {{"Alpha", "KeyA"}, {"Beta", "KeyB"}}, 0},
        {"InstalledSCCProviders not readable",
         [] {
             Registry({kAlpha})();
             fake::DenyAccess(kInstalled, KEY_READ);
         },
         nullptr, "", kCancel, 3, {"Kelvora: No installed provider key\n", kGetProviders}, kStoredA,
         {}, kNoDialog},
        {"root key not readable, /d deletes nothing",
         [] {
             Registry({kAlpha})();
             fake::DenyAccess(kRoot, KEY_READ);
         },
         nullptr, "/d", kCancel, 3, {"Kelvora: SCC key doesn't exist\n", kGetProviders}, kStoredA,
         {}, kNoDialog},
    };
    for (const HostileCase& c : cases) {
        Fresh();
        c.arrange();
        if (c.during)
            c.during();
        const fake::RegistryImage before = fake::Registry();
        int preselected = kNoDialog;
        const int exitCode = Run(c.tail, c.user, preselected);
        EXPECT_EQ(c.exitCode, exitCode) << c.label << ": exit code";
        EXPECT_EQ(c.debug, fake::DebugOutput()) << c.label << ": debug output";
        EXPECT_EQ(c.stored, fake::GetValue(kRoot, "ProviderRegKey")) << c.label << ": ProviderRegKey";
        EXPECT_EQ(c.catalogue, Catalogue(InstalledProviders.begin(), InstalledProviders.end()))
            << c.label << ": catalogue";
        EXPECT_EQ(c.preselected, preselected) << c.label << ": item selected on opening";
        EXPECT_EQ(0, fake::OpenKeyCount()) << c.label << ": key handles left open";
        if (!c.during) {
            fake::RegistryImage after = fake::Registry();
            auto withoutActive = [](fake::RegistryImage image) {
                for (auto& [path, values] : image)
                    values.erase(std::remove_if(values.begin(), values.end(),
                                                [](const auto& v) { return v.first == "ProviderRegKey"; }),
                                 values.end());
                return image;
            };
            EXPECT_TRUE(withoutActive(before) == withoutActive(after))
                << c.label << ": a value other than ProviderRegKey changed";
        }
    }
}

// A machine with a great many providers: each is listed once, in byte order,
// the active one is preselected and the chosen one written.
TEST_F(HostileRegistry, TenThousandProviders)
{
    constexpr int kCount = 10000;
    auto name = [](int i) {
        char text[32];
        std::snprintf(text, sizeof text, "Provider %05d", i);
        return std::string(text);
    };
    auto key = [](int i) { return "MSSCCI:" + std::to_string(i); };
    fake::CreateKey(kInstalled);
    // Installed in reverse so that the catalogue's order is not the registry's.
    for (int i = kCount - 1; i >= 0; --i)
        fake::SetString(kInstalled, name(i), key(i));
    fake::SetString(kRoot, "ProviderRegKey", key(7777));

    std::vector<std::string> listed;
    int preselected = kNoDialog;
    fake::SetDialogScript([&](HWND dialog) {
        listed = fake::Dialog().items;
        preselected = fake::Dialog().selection;
        fake::ChooseItem(4242);
        fake::SendCommand(dialog, IDOK);
    });
    std::string tail;
    EXPECT_EQ(0, WinMain(nullptr, nullptr, tail.data(), 1));

    ASSERT_EQ(static_cast<size_t>(kCount), listed.size());
    for (int i = 0; i < kCount; ++i)
        if (listed[i] != name(i)) {
            ADD_FAILURE() << "item " << i << ": expected " << name(i) << ", got " << listed[i];
            break;
        }
    EXPECT_EQ(7777, preselected);
    EXPECT_EQ(Stored(Sz(key(4242))), fake::GetValue(kRoot, "ProviderRegKey"));
    EXPECT_TRUE(fake::DebugOutput().empty());
    EXPECT_EQ(0, fake::OpenKeyCount());
}

} // namespace
