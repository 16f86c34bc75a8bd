// Every registry call of a whole run, failing one at a time.
//
// A clean run over a small machine is recorded first; its call log must be the
// documented sequence of call sites below. Then each of those calls, and only
// that one, fails with each plausible error code, for every kind of
// command-line tail and both dialog outcomes. Each row's expected outcome
// follows from the site that failed: loading stops with its diagnostic, a
// provider is dropped, a write does not happen, or nothing changes at all.
// Whatever fails, no key handle stays open, nothing but ProviderRegKey is
// ever changed, and no catalogue entry comes from a failed read.
#include "Machine.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace {

using fake::Call;

const std::string kGetProviders = "Kelvora: Couldn't get providers";
const std::string kSkipped = "Kelvora: Skipping, value of provider is not a string\n";
const std::string kNoOpenForWriting = "Kelvora: Couldn't open SCC key for writing\n";
const std::string kNoSet = "Kelvora: Couldn't set ProviderRegKey\n";

// The machine: Beta is active; the registry enumerates Beta before Alpha,
// while the catalogue and the dialog list Alpha first.
const std::vector<std::pair<std::string, std::string>> kEnumerated = {{"Beta", "KeyB"},
                                                                       {"Alpha", "KeyA"}};
const char* const kActive = "KeyB";
const std::string kStoredBefore("KeyB\0", 5);

void Arrange()
{
    Machine::Install(kEnumerated, kActive);
}

// Any failure code must count as a failure, so every site gets all four, even
// where Windows itself would not return that one from that call.
const std::vector<std::pair<LONG, const char*>> kCodes = {
    {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
    {ERROR_MORE_DATA, "ERROR_MORE_DATA"},
    {ERROR_NO_MORE_ITEMS, "ERROR_NO_MORE_ITEMS"},
};

enum class Action { OkOnAlpha, Cancel };

struct Scenario {
    const char* label;
    std::string tail;
    Action action;
};

// What failing a site does to the run.
enum class Effect {
    None,            // nothing the user can see
    LoadFails,       // exit 3 after the site's diagnostic
    NoActiveKey,     // CurrentProviderKey stays empty
    LosesProvider,   // the provider being read gives no entry
    ClearFails,      // "/d" exits with 1, nothing deleted
    OpenForWriting,  // SelectProvider writes nothing and says so
    SetFails,        // SelectProvider's write fails and it says so
    DialogFails,     // exit 2 with the error code in hex
};

enum class By { Load, Tail, Dialog };

struct Site {
    std::string label;
    Call call;
    Effect effect;
    std::string message; // LoadFails: the diagnostic before kGetProviders
    int provider = -1;   // LosesProvider: index in enumeration order
    By by = By::Load;    // OpenForWriting, SetFails: which SelectProvider
};

// The documented order of the calls in one run over the machine above.
std::vector<Site> SitesOf(const Scenario& s)
{
    std::vector<Site> sites = {
        {"LoadProviders: open the root key", Call::RegOpenKeyExA, Effect::LoadFails,
         "Kelvora: SCC key doesn't exist\n"},
        {"LoadProviders: read ProviderRegKey", Call::RegQueryValueExA, Effect::NoActiveKey, ""},
        {"LoadProviders: close the root key", Call::RegCloseKey, Effect::None, ""},
        {"LoadProviders: open InstalledSCCProviders", Call::RegOpenKeyExA, Effect::LoadFails,
         "Kelvora: No installed provider key\n"},
        {"LoadProviders: count the values", Call::RegQueryInfoKeyA, Effect::LoadFails,
         "Kelvora: No installed provider values\n"},
    };
    for (int i = 0; i < static_cast<int>(kEnumerated.size()); ++i) {
        const std::string& name = kEnumerated[i].first;
        sites.push_back({"LoadProviders: name of value " + std::to_string(i), Call::RegEnumValueA,
                         Effect::LosesProvider, "", i});
        sites.push_back({"LoadProviders: data of " + name, Call::RegQueryValueExA,
                         Effect::LosesProvider, "", i});
    }
    sites.push_back({"LoadProviders: close InstalledSCCProviders", Call::RegCloseKey, Effect::None, ""});

    auto select = [&](By by, const std::string& who) {
        sites.push_back({who + ": open the root key for writing", Call::RegOpenKeyExA,
                         Effect::OpenForWriting, "", -1, by});
        sites.push_back({who + ": set ProviderRegKey", Call::RegSetValueExA, Effect::SetFails, "", -1, by});
        sites.push_back({who + ": close the root key", Call::RegCloseKey, Effect::None, "", -1, by});
    };
    if (s.tail == "/d") {
        sites.push_back({"ClearProvider: open the root key for writing", Call::RegOpenKeyExA,
                         Effect::ClearFails, ""});
        sites.push_back({"ClearProvider: delete ProviderRegKey", Call::RegDeleteValueA,
                         Effect::ClearFails, ""});
        sites.push_back({"ClearProvider: close the root key", Call::RegCloseKey, Effect::None, ""});
        return sites;
    }
    if (!s.tail.empty())
        select(By::Tail, "SelectProvider(tail)");
    sites.push_back({"WinMain: create the dialog", Call::DialogBoxParamA, Effect::DialogFails, ""});
    if (s.action == Action::OkOnAlpha)
        select(By::Dialog, "SelectProvider(dialog)");
    return sites;
}

struct Outcome {
    int exitCode = 0;
    std::vector<std::string> debug;
    std::string stored; // ProviderRegKey's bytes, or "<absent>"
    std::vector<std::pair<std::string, std::string>> catalogue;
    std::string current; // CurrentProviderKey; not compared when loading failed
    bool dialogOpened = false;
    std::vector<std::string> listed; // the dialog's items when it opened
    int preselected = -1;
};

std::string Sz(const std::string& text) { return text + '\0'; }

// The outcome of a run in which `failed` (none when null) fails with `code`.
Outcome Expect(const Scenario& s, const Site* failed, LONG code)
{
    const Effect effect = failed ? failed->effect : Effect::None;
    Outcome o;
    o.stored = kStoredBefore;
    if (effect == Effect::LoadFails) {
        o.exitCode = 3;
        o.debug = {failed->message, kGetProviders};
        return o;
    }
    const std::string current = effect == Effect::NoActiveKey ? "" : kActive;
    o.current = current;
    std::map<std::string, std::string> catalogue;
    for (int i = 0; i < static_cast<int>(kEnumerated.size()); ++i) {
        if (effect == Effect::LosesProvider && failed->provider == i) {
            // The registry's word that no value is left ends the enumeration;
            // any other failure skips this one value.
            if (failed->call == Call::RegEnumValueA && code == ERROR_NO_MORE_ITEMS)
                break;
            o.debug.push_back(kSkipped);
            continue;
        }
        catalogue.insert(kEnumerated[i]);
    }
    auto select = [&](const std::string& name, By by) {
        const std::string& key = catalogue.emplace(name, "").first->second;
        if (effect == Effect::OpenForWriting && failed->by == by)
            o.debug.push_back(kNoOpenForWriting);
        else if (effect == Effect::SetFails && failed->by == by)
            o.debug.push_back(kNoSet);
        else
            o.stored = Sz(key);
    };
    auto finish = [&] {
        o.catalogue.assign(catalogue.begin(), catalogue.end());
        return o;
    };

    if (s.tail == "/d") {
        o.exitCode = effect == Effect::ClearFails ? 1 : 0;
        if (o.exitCode == 0)
            o.stored = "<absent>";
        return finish();
    }
    if (!s.tail.empty())
        select(s.tail, By::Tail);
    if (effect == Effect::DialogFails) {
        char message[256];
        std::snprintf(message, sizeof message, "Kelvora: Couldn't make dialog window (%lx)\n",
                      static_cast<unsigned long>(code));
        o.debug.push_back(message);
        o.exitCode = 2;
        return finish();
    }
    o.dialogOpened = true;
    for (const auto& [name, key] : catalogue) {
        o.listed.push_back(name);
        if (key == current)
            o.preselected = static_cast<int>(o.listed.size()) - 1;
    }
    // Alpha is listed unless its read failed and the tail did not add it back;
    // then OK goes with nothing selected, and the empty name is looked up.
    if (s.action == Action::OkOnAlpha)
        select(catalogue.count("Alpha") ? "Alpha" : "", By::Dialog);
    return finish();
}

class FaultInjection : public Machine {
protected:
    void Fresh() { Machine::SetUp(); }

    // Runs the whole program with `tail` and what the user does; records
    // what a person and the next IDE would see.
    static Outcome Run(const Scenario& s)
    {
        Outcome o;
        fake::SetDialogScript([&o, action = s.action](HWND dialog) {
            o.dialogOpened = true;
            o.listed = fake::Dialog().items;
            o.preselected = fake::Dialog().selection;
            if (action == Action::Cancel) {
                fake::SendCommand(dialog, IDCANCEL);
                return;
            }
            const auto& items = fake::Dialog().items;
            auto alpha = std::find(items.begin(), items.end(), "Alpha");
            fake::ChooseItem(alpha == items.end() ? -1 : static_cast<int>(alpha - items.begin()));
            fake::SendCommand(dialog, IDOK);
        });
        std::string tail = s.tail;
        o.exitCode = WinMain(nullptr, nullptr, tail.data(), 1);
        o.debug = fake::DebugOutput();
        o.stored = StoredProviderRegKey();
        o.catalogue.assign(InstalledProviders.begin(), InstalledProviders.end());
        o.current = CurrentProviderKey;
        return o;
    }
};

std::string Show(const std::string& bytes)
{
    std::ostringstream out;
    out << '"';
    for (unsigned char c : bytes) {
        if (c == '\n')
            out << "\\n";
        else if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out << hex;
        } else
            out << c;
    }
    return out.str() + '"';
}

std::string Show(const std::vector<std::string>& list)
{
    std::string text = "{";
    for (const auto& item : list)
        text += (text.size() > 1 ? ", " : "") + Show(item);
    return text + "}";
}

std::string Show(const std::vector<std::pair<std::string, std::string>>& catalogue)
{
    std::string text = "{";
    for (const auto& [name, key] : catalogue)
        text += (text.size() > 1 ? ", " : "") + Show(name) + " -> " + Show(key);
    return text + "}";
}

std::string Show(int value) { return std::to_string(value); }
std::string Show(bool value) { return value ? "yes" : "no"; }

template <typename T>
void Compare(const std::string& label, const char* what, const T& expected, const T& got)
{
    if (!(expected == got))
        ADD_FAILURE() << label << ": " << what << " expected " << Show(expected) << ", got "
                      << Show(got);
}

void CompareOutcome(const std::string& label, const Outcome& want, const Outcome& got)
{
    Compare(label, "exit code", want.exitCode, got.exitCode);
    Compare(label, "debug output", want.debug, got.debug);
    Compare(label, "ProviderRegKey", want.stored, got.stored);
    Compare(label, "catalogue", want.catalogue, got.catalogue);
    if (want.exitCode != 3)
        Compare(label, "active key", want.current, got.current);
    Compare(label, "dialog opened", want.dialogOpened, got.dialogOpened);
    Compare(label, "dialog list", want.listed, got.listed);
    Compare(label, "preselected item", want.preselected, got.preselected);
}

// Nothing but ProviderRegKey may differ between two images of the registry.
fake::RegistryImage WithoutProviderRegKey(fake::RegistryImage image)
{
    for (auto& [path, values] : image)
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [](const auto& v) { return v.first == "ProviderRegKey"; }),
                     values.end());
    return image;
}

TEST_F(FaultInjection, EveryCallSiteFailingAloneThroughWinMain)
{
    const std::vector<Scenario> scenarios = {
        {"tail \"/d\"", "/d", Action::Cancel},
        {"empty tail, OK on Alpha", "", Action::OkOnAlpha},
        {"empty tail, Cancel", "", Action::Cancel},
        {"tail \"Alpha\" (known), OK on Alpha", "Alpha", Action::OkOnAlpha},
        {"tail \"Alpha\" (known), Cancel", "Alpha", Action::Cancel},
        {"tail \"Nobody\" (unknown), OK on Alpha", "Nobody", Action::OkOnAlpha},
        {"tail \"Nobody\" (unknown), Cancel", "Nobody", Action::Cancel},
    };
    int rows = 0;
    for (const Scenario& s : scenarios) {
        const std::vector<Site> sites = SitesOf(s);

        Fresh();
        Arrange();
        const fake::RegistryImage before = WithoutProviderRegKey(fake::Registry());
        Outcome clean = Run(s);
        CompareOutcome(std::string(s.label) + ", clean run", Expect(s, nullptr, 0), clean);
        std::vector<Call> documented;
        for (const Site& site : sites)
            documented.push_back(site.call);
        std::vector<std::string> want, got;
        for (Call c : documented)
            want.push_back(fake::CallName(c));
        for (Call c : fake::CallLog())
            got.push_back(fake::CallName(c));
        Compare(std::string(s.label) + ", clean run", "calls", want, got);
        if (want != got)
            continue; // the sites below would not be the calls they name

        std::map<Call, int> seen;
        for (const Site& site : sites) {
            const int occurrence = ++seen[site.call];
            for (const auto& [code, codeName] : kCodes) {
                const std::string label = std::string(s.label) + ", " + fake::CallName(site.call) +
                                          " #" + std::to_string(occurrence) + " (" + site.label +
                                          ") fails with " + codeName;
                Fresh();
                Arrange();
                fake::FailCall(site.call, occurrence, code);
                CompareOutcome(label, Expect(s, &site, code), Run(s));
                Compare(label, "open key handles", 0, fake::OpenKeyCount());
                if (WithoutProviderRegKey(fake::Registry()) != before)
                    ADD_FAILURE() << label << ": a value other than ProviderRegKey changed";
                ++rows;
            }
        }
    }
    std::printf("[ fault table ] %d rows\n", rows);
}

} // namespace
