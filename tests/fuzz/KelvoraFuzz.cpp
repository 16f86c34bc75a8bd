// libFuzzer target: one whole run of the program on a registry, a command
// line, failing calls and a dialog action all taken from the input, checked
// against what must hold whatever the registry held:
//  - every key handle is closed;
//  - every catalogue entry is either a provider value read whole (a REG_SZ
//    with a name of at most 254 characters and at most 255 bytes of data, its
//    key the text up to the first NUL), or a name looked up from the command
//    line or the dialog, with an empty key;
//  - ProviderRegKey ends unchanged, deleted only by "/d", or holding the key
//    of the name the command line or the dialog looked up, plus one NUL;
//  - nothing else in the registry changes;
//  - exit code and debug output are among the documented ones, and when no
//    call fails and nothing changes under the program, they are exactly the
//    documented ones.
// A violation prints what broke and aborts, which libFuzzer reports as a
// crash and saves the input. With KELVORA_FUZZ_TRACE set, each run prints
// what it did (to read what a saved input means).
//
// Input layout (bytes past the end read as 0; a text is a 2-byte
// little-endian length, then that many bytes or what is left):
//   flags   bit 0 root key, bit 1 InstalledSCCProviders, bit 2 ProviderRegKey,
//           bit 3 no tail at all, bit 4 root key not writable, bit 5
//           InstalledSCCProviders not readable, bit 6 root key not readable
//   [bit 2] type selector, text: ProviderRegKey
//   count   providers (count % 33), each: type selector, text name, text data
//   faults  (faults % 5), each: call, occurrence, code selector
//   change  what changes under the program (change % 6), then an argument
//   text    command-line tail
//   action  % 3: Cancel, OK as shown, OK after choosing item (next byte)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FakeWin32.h"
#include "providers/Providers.h"

namespace {

const std::string kRoot = "SOFTWARE\\SourceCodeControlProvider";
const std::string kInstalled = kRoot + "\\InstalledSCCProviders";
constexpr DWORD REG_QWORD = 11;

struct Reader {
    const uint8_t* data;
    size_t size;

    uint8_t Byte()
    {
        if (!size)
            return 0;
        --size;
        return *data++;
    }

    std::string Text()
    {
        size_t length = Byte();
        length |= static_cast<size_t>(Byte()) << 8;
        length = std::min(length, size);
        std::string text(reinterpret_cast<const char*>(data), length);
        data += length;
        size -= length;
        return text;
    }
};

DWORD TypeFrom(uint8_t selector)
{
    // Mostly strings, so that the interesting lengths and bytes get tried.
    static const DWORD kTypes[] = {REG_SZ, REG_SZ,   REG_SZ,   REG_SZ,   REG_EXPAND_SZ,
                                   REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_NONE, REG_QWORD};
    return kTypes[selector % (sizeof kTypes / sizeof kTypes[0])];
}

const fake::Call kCalls[] = {fake::Call::RegOpenKeyExA,   fake::Call::RegQueryValueExA,
                             fake::Call::RegQueryInfoKeyA, fake::Call::RegEnumValueA,
                             fake::Call::RegSetValueExA,  fake::Call::RegDeleteValueA,
                             fake::Call::RegCloseKey,     fake::Call::DialogBoxParamA};
const LONG kCodes[] = {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA,
                       ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE, ERROR_RESOURCE_NAME_NOT_FOUND};

[[noreturn]] void Violated(const char* what, const std::string& detail = "")
{
    std::fprintf(stderr, "invariant violated: %s %s\n", what, detail.c_str());
    std::abort();
}

void Check(bool holds, const char* what, const std::string& detail = "")
{
    if (!holds)
        Violated(what, detail);
}

// The text a provider's key or ProviderRegKey holds: up to the first NUL.
std::string TextOf(const std::string& data)
{
    return data.substr(0, data.find('\0'));
}

bool ReadableProvider(const std::string& name, const fake::Value& v)
{
    return v.type == REG_SZ && name.size() <= 254 && v.data.size() <= 255;
}

fake::RegistryImage WithoutProviderRegKey(fake::RegistryImage image)
{
    for (auto& entry : image) {
        auto& values = entry.second;
        for (auto it = values.begin(); it != values.end();)
            it = it->first == "ProviderRegKey" ? values.erase(it) : it + 1;
    }
    return image;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const std::vector<std::string> kMessages = {
    "Kelvora: SCC key doesn't exist\n",
    "Kelvora: Value is not a string\n",
    "Kelvora: No installed provider key\n",
    "Kelvora: No installed provider values\n",
    "Kelvora: Skipping, value of provider is not a string\n",
    "Kelvora: Couldn't get providers",
    "Kelvora: Couldn't open SCC key for writing\n",
    "Kelvora: Couldn't set ProviderRegKey\n",
};

bool KnownMessage(const std::string& message)
{
    for (const std::string& known : kMessages)
        if (message == known)
            return true;
    // The dialog's failure carries the error code in lower-case hex without
    // leading zeros.
    const std::string head = "Kelvora: Couldn't make dialog window (", foot = ")\n";
    if (message.size() <= head.size() + foot.size() || message.compare(0, head.size(), head) != 0 ||
        message.compare(message.size() - foot.size(), foot.size(), foot) != 0)
        return false;
    const std::string hex = message.substr(head.size(), message.size() - head.size() - foot.size());
    return hex.find_first_not_of("0123456789abcdef") == std::string::npos &&
           (hex == "0" || hex[0] != '0') && hex.size() <= 8;
}

struct Dialog {
    bool opened = false;
    bool ok = false;
    std::vector<std::string> catalogueNames; // InstalledProviders when it opened
    std::string current;                     // CurrentProviderKey when it opened
    std::vector<std::string> items;
    int preselected = -1;
    std::string chosen; // the text OK hands to SelectProvider
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fake::Reset();
    InstalledProviders.clear();
    CurrentProviderKey.clear();
    Reader in{data, size};

    // --- The registry.
    const uint8_t flags = in.Byte();
    if (flags & 1)
        fake::CreateKey(kRoot);
    if (flags & 2)
        fake::CreateKey(kInstalled);
    if (flags & 4) {
        DWORD type = TypeFrom(in.Byte());
        fake::SetValue(kRoot, "ProviderRegKey", type, in.Text());
    }
    // As for a run without elevation, or a key an installer locked.
    if (flags & 16)
        fake::DenyAccess(kRoot, KEY_WRITE);
    if (flags & 32)
        fake::DenyAccess(kInstalled, KEY_READ);
    if (flags & 64)
        fake::DenyAccess(kRoot, KEY_READ);
    const int providers = in.Byte() % 33;
    for (int i = 0; i < providers; ++i) {
        DWORD type = TypeFrom(in.Byte());
        std::string name = in.Text();
        // Names pass through the A calls as C strings, which hold no NUL.
        for (char& c : name)
            if (c == '\0')
                c = '\x01';
        std::string value = in.Text();
        if (flags & 2)
            fake::SetValue(kInstalled, name, type, value);
    }

    // --- Calls that fail.
    const int faults = in.Byte() % 5;
    for (int i = 0; i < faults; ++i) {
        fake::Call call = kCalls[in.Byte() % (sizeof kCalls / sizeof kCalls[0])];
        int occurrence = 1 + in.Byte() % 40;
        LONG code = kCodes[in.Byte() % (sizeof kCodes / sizeof kCodes[0])];
        fake::FailCall(call, occurrence, code);
    }

    // --- What changes under the program while it reads. Values it may
    // legitimately have read are remembered for the checks below.
    const fake::RegistryImage before = fake::Registry();
    const bool rootKey = fake::KeyExists(kRoot) && !(flags & 64);
    const bool installedKey = fake::KeyExists(kInstalled) && !(flags & 32);
    const bool writable = !(flags & 16);
    std::vector<std::pair<std::string, fake::Value>> everInstalled;
    auto installedNow = [&] {
        auto image = fake::Registry();
        auto it = image.find(Lower(kInstalled));
        if (it != image.end())
            everInstalled.insert(everInstalled.end(), it->second.begin(), it->second.end());
    };
    installedNow();
    const int change = in.Byte() % 6;
    const uint8_t argument = in.Byte();
    auto nthValueName = [](int n) -> std::optional<std::string> {
        auto image = fake::Registry();
        auto it = image.find(Lower(kInstalled));
        if (it == image.end() || it->second.empty())
            return std::nullopt;
        return it->second[n % it->second.size()].first;
    };
    int enumerations = 0;
    switch (change) {
    case 1: // a value vanishes after the count
        fake::AfterCall(fake::Call::RegQueryInfoKeyA, [&] {
            if (auto name = nthValueName(argument))
                fake::DeleteValue(kInstalled, *name);
        });
        break;
    case 2: // a value vanishes in the middle of the enumeration
        fake::AfterCall(fake::Call::RegEnumValueA, [&] {
            if (++enumerations == 1 + argument % 8)
                if (auto name = nthValueName(argument % 8))
                    fake::DeleteValue(kInstalled, *name);
        });
        break;
    case 3: // a value appears after the count
        fake::AfterCall(fake::Call::RegQueryInfoKeyA, [&] {
            if (fake::KeyExists(kInstalled)) {
                fake::SetString(kInstalled, "Late" + std::to_string(argument), "KeyLate");
                installedNow();
            }
        });
        break;
    case 4: // a value grows or changes type between its name and its data
        fake::AfterCall(fake::Call::RegEnumValueA, [&] {
            if (++enumerations == 1 + argument % 8)
                if (auto name = nthValueName(argument % 8)) {
                    if (argument & 0x80)
                        fake::SetValue(kInstalled, *name, REG_DWORD, std::string(4, '\1'));
                    else
                        fake::SetValue(kInstalled, *name, REG_SZ, std::string(argument, 'g'));
                    installedNow();
                }
        });
        break;
    default:
        break;
    }
    const bool changing = change >= 1 && change <= 4;

    // --- The command line and the user.
    std::string tailBytes = in.Text();
    tailBytes.push_back('\0');
    const bool noTail = flags & 8;
    const std::string tail = noTail ? "" : std::string(tailBytes.c_str()); // WinMain sees a C string
    const uint8_t action = in.Byte() % 3;
    const uint8_t item = in.Byte();

    Dialog dialog;
    fake::SetDialogScript([&](HWND window) {
        dialog.opened = true;
        for (const auto& entry : InstalledProviders)
            dialog.catalogueNames.push_back(entry.first);
        dialog.current = CurrentProviderKey;
        dialog.items = fake::Dialog().items;
        dialog.preselected = fake::Dialog().selection;
        if (action == 0) {
            fake::SendCommand(window, IDCANCEL);
            return;
        }
        if (action == 2) {
            int count = static_cast<int>(dialog.items.size());
            fake::ChooseItem(item % (count + 1) - 1); // -1: nothing selected
        }
        char text[256];
        GetDlgItemTextA(window, fake::kListControlId, text, sizeof text);
        dialog.chosen = text;
        dialog.ok = true;
        fake::SendCommand(window, IDOK);
    });

    const std::optional<fake::Value> storedBefore = fake::GetValue(kRoot, "ProviderRegKey");
    const int exitCode = WinMain(nullptr, nullptr, noTail ? nullptr : tailBytes.data(), 1);
    const std::optional<fake::Value> storedAfter = fake::GetValue(kRoot, "ProviderRegKey");
    const std::vector<std::string>& debug = fake::DebugOutput();
    const bool clear = !noTail && tail == "/d";

    if (std::getenv("KELVORA_FUZZ_TRACE")) {
        std::fprintf(stderr, "tail %s%s, exit %d, %zu entries, dialog %s, %d fault(s), change %d\n",
                     noTail ? "(none)" : "", tail.c_str(), exitCode, InstalledProviders.size(),
                     dialog.opened ? (dialog.ok ? "OK" : "Cancel") : "not opened", faults, change);
        for (const std::string& message : debug)
            std::fprintf(stderr, "  debug: %s%s", message.c_str(), message.back() == '\n' ? "" : "\n");
        std::fprintf(stderr, "  ProviderRegKey: %s -> %s\n",
                     storedBefore ? TextOf(storedBefore->data).c_str() : "(absent)",
                     storedAfter ? TextOf(storedAfter->data).c_str() : "(absent)");
    }

    // --- What holds whatever happened.
    Check(fake::OpenKeyCount() == 0, "key handles left open", std::to_string(fake::OpenKeyCount()));
    if (clear)
        Check(exitCode == 0 || exitCode == 1 || exitCode == 3, "exit code of /d",
              std::to_string(exitCode));
    else
        Check(exitCode == 0 || exitCode == 2 || exitCode == 3, "exit code", std::to_string(exitCode));
    for (const std::string& message : debug)
        Check(KnownMessage(message), "unknown debug output", message);
    Check((exitCode == 3) == (!debug.empty() && debug.back() == "Kelvora: Couldn't get providers"),
          "exit code 3 and its message go together");
    if (exitCode == 3) {
        Check(InstalledProviders.empty(), "catalogue after failed loading");
        Check(storedAfter == storedBefore, "ProviderRegKey changed after failed loading");
        Check(!dialog.opened, "dialog after failed loading");
    }
    Check(!(clear && dialog.opened), "dialog after /d");
    Check(CurrentProviderKey.empty() ||
              (storedBefore && storedBefore->type == REG_SZ && storedBefore->data.size() <= 255 &&
               CurrentProviderKey == TextOf(storedBefore->data)),
          "active key not from a whole read of ProviderRegKey", CurrentProviderKey);

    const bool tailLookup = !noTail && !tail.empty() && !clear && exitCode != 3;
    for (const auto& [name, key] : InstalledProviders) {
        bool wholeRead = false;
        for (const auto& [valueName, value] : everInstalled)
            if (valueName == name && ReadableProvider(valueName, value) && key == TextOf(value.data))
                wholeRead = true;
        bool lookedUp = key.empty() && ((tailLookup && name == tail) ||
                                        (dialog.ok && name == dialog.chosen));
        Check(wholeRead || lookedUp, "catalogue entry from no whole read and no lookup", name);
    }

    if (dialog.opened) {
        Check(dialog.items == dialog.catalogueNames, "dialog list is not the catalogue in order");
        int expected = -1;
        int index = 0;
        for (const std::string& name : dialog.catalogueNames) {
            if (InstalledProviders.at(name) == dialog.current)
                expected = index;
            ++index;
        }
        Check(dialog.preselected == expected, "preselected item",
              std::to_string(dialog.preselected) + " instead of " + std::to_string(expected));
    }

    if (storedAfter != storedBefore) {
        if (!storedAfter) {
            Check(clear && exitCode == 0, "ProviderRegKey deleted without /d succeeding");
        } else {
            Check(storedAfter->type == REG_SZ, "ProviderRegKey written with another type");
            auto wrote = [&](const std::string& name) {
                return InstalledProviders.count(name) &&
                       storedAfter->data == InstalledProviders.at(name) + '\0';
            };
            bool fromLookup = (tailLookup && wrote(tail)) || (dialog.ok && wrote(dialog.chosen));
            Check(fromLookup, "ProviderRegKey written with what no lookup gave");
        }
    } else if (clear && exitCode == 0) {
        Violated("/d succeeded and ProviderRegKey is still there");
    }
    if (!changing)
        Check(WithoutProviderRegKey(fake::Registry()) == WithoutProviderRegKey(before),
              "a value other than ProviderRegKey changed");

    // --- With nothing failing and nothing changing, the outcome is exactly
    // the documented one.
    if (faults || changing)
        return 0;
    std::vector<std::string> expectedDebug;
    std::string current;
    if (!rootKey) {
        expectedDebug = {"Kelvora: SCC key doesn't exist\n"};
    } else if (storedBefore && storedBefore->data.size() <= 255 && storedBefore->type != REG_SZ) {
        expectedDebug = {"Kelvora: Value is not a string\n"};
    } else if (!installedKey) {
        if (storedBefore && storedBefore->data.size() <= 255)
            current = TextOf(storedBefore->data);
        expectedDebug = {"Kelvora: No installed provider key\n"};
    } else {
        if (storedBefore && storedBefore->data.size() <= 255)
            current = TextOf(storedBefore->data);
        std::map<std::string, std::string> catalogue;
        for (const auto& [name, value] : before.at(Lower(kInstalled))) {
            if (ReadableProvider(name, value))
                catalogue.emplace(name, TextOf(value.data));
            else
                expectedDebug.push_back("Kelvora: Skipping, value of provider is not a string\n");
        }
        for (const auto& [name, key] : catalogue)
            Check(InstalledProviders.count(name) && InstalledProviders.at(name) == key,
                  "provider read whole is missing or has another key", name);
        Check(CurrentProviderKey == current, "active key", CurrentProviderKey);
        std::optional<fake::Value> expectedStored = storedBefore;
        int expectedExit = 0;
        if (clear) {
            expectedExit = storedBefore && writable ? 0 : 1;
            if (writable)
                expectedStored = std::nullopt;
        } else {
            const int writes = (tailLookup ? 1 : 0) + (dialog.ok ? 1 : 0);
            if (!writable)
                expectedDebug.insert(expectedDebug.end(), writes,
                                     "Kelvora: Couldn't open SCC key for writing\n");
            else if (dialog.ok)
                expectedStored = fake::Value{REG_SZ, InstalledProviders.at(dialog.chosen) + '\0'};
            else if (tailLookup)
                expectedStored = fake::Value{REG_SZ, InstalledProviders.at(tail) + '\0'};
            Check(dialog.opened, "no dialog");
        }
        Check(debug == expectedDebug, "debug output");
        Check(exitCode == expectedExit, "exit code", std::to_string(exitCode));
        Check(storedAfter == expectedStored, "ProviderRegKey afterwards");
        return 0;
    }
    expectedDebug.push_back("Kelvora: Couldn't get providers");
    Check(debug == expectedDebug, "debug output of failed loading");
    Check(exitCode == 3, "exit code of failed loading", std::to_string(exitCode));
    return 0;
}
