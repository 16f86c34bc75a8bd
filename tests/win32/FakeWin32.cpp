// Host stand-in for the Win32 calls, following the documented behaviour of
// each: sizes that count the terminator, ERROR_MORE_DATA with the needed
// size, data stored exactly as written (possibly without a NUL), output
// buffers left untouched on failure, access rights checked per handle.
#include "FakeWin32.h"
#include "commctrl.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

namespace fake {
namespace {

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr unsigned char kJunk = 0xbd;

std::string Folded(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

struct Key {
    std::vector<std::pair<std::string, Value>> values; // in creation order
    REGSAM deniedRights = 0;
    // Folded name -> index in `values`: lookups run once per value, over keys
    // that may hold thousands of values.
    std::unordered_map<std::string, size_t> positions;

    std::vector<std::pair<std::string, Value>>::iterator Find(const std::string& name)
    {
        auto it = positions.find(Folded(name));
        return it == positions.end() ? values.end() : values.begin() + it->second;
    }

    void Add(const std::string& name, const Value& value)
    {
        positions[Folded(name)] = values.size();
        values.emplace_back(name, value);
    }

    void Erase(std::vector<std::pair<std::string, Value>>::iterator it)
    {
        values.erase(it);
        positions.clear();
        for (size_t i = 0; i < values.size(); ++i)
            positions[Folded(values[i].first)] = i;
    }
};

struct OpenKey {
    std::string path;
    REGSAM access;
};

struct Failure {
    Call call;
    int occurrence;
    LONG code;
};

struct State {
    std::map<std::string, Key> keys; // by folded path
    std::map<uintptr_t, OpenKey> handles;
    uintptr_t nextHandle = 0x1000;
    std::vector<Call> log;
    std::map<Call, int> calls; // how many of each the log holds
    std::vector<Failure> failures;
    std::multimap<Call, std::function<void()>> afterCall;
    std::vector<std::string> debugOutput;
    DWORD lastError = 0;
    DialogState dialog;
    DialogScript script;
    DLGPROC dialogProc = nullptr;
    bool insideProc = false;
    DWORD dialogCreationError = 0;
    int initCommonControls = 0;
    std::string commandLine;
};

State& S()
{
    static State state;
    return state;
}

HWND const kDialogWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xd1a10));

HWND ControlWindow(int id)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x100000 + id));
}

// Logs the call and says whether an injected failure applies to it.
std::optional<LONG> Enter(Call call)
{
    State& s = S();
    s.log.push_back(call);
    int occurrence = ++s.calls[call];
    for (const Failure& f : s.failures)
        if (f.call == call && f.occurrence == occurrence)
            return f.code;
    return std::nullopt;
}

void Leave(Call call)
{
    auto range = S().afterCall.equal_range(call);
    std::vector<std::function<void()>> actions;
    for (auto it = range.first; it != range.second; ++it)
        actions.push_back(it->second);
    for (auto& action : actions)
        action();
}

template <typename T>
T Finish(Call call, T result)
{
    Leave(call);
    return result;
}

OpenKey* Lookup(HKEY key)
{
    auto it = S().handles.find(reinterpret_cast<uintptr_t>(key));
    return it == S().handles.end() ? nullptr : &it->second;
}

Key* KeyAt(const std::string& path)
{
    auto it = S().keys.find(Folded(path));
    return it == S().keys.end() ? nullptr : &it->second;
}

void Scribble(void* buffer, DWORD size)
{
    if (buffer)
        std::memset(buffer, kJunk, size);
}

} // namespace

const char* CallName(Call call)
{
    switch (call) {
    case Call::RegOpenKeyExA: return "RegOpenKeyExA";
    case Call::RegQueryValueExA: return "RegQueryValueExA";
    case Call::RegQueryInfoKeyA: return "RegQueryInfoKeyA";
    case Call::RegEnumValueA: return "RegEnumValueA";
    case Call::RegSetValueExA: return "RegSetValueExA";
    case Call::RegDeleteValueA: return "RegDeleteValueA";
    case Call::RegCloseKey: return "RegCloseKey";
    case Call::DialogBoxParamA: return "DialogBoxParamA";
    }
    return "?";
}

void Reset()
{
    S() = State();
}

void CreateKey(const std::string& path)
{
    // Like the registry, a key's parents exist whenever it does.
    for (size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1))
        S().keys[Folded(path.substr(0, end))];
    S().keys[Folded(path)];
}

void DeleteKey(const std::string& path)
{
    std::string prefix = Folded(path);
    for (auto it = S().keys.begin(); it != S().keys.end();) {
        if (it->first == prefix || it->first.rfind(prefix + "\\", 0) == 0)
            it = S().keys.erase(it);
        else
            ++it;
    }
}

bool KeyExists(const std::string& path)
{
    return KeyAt(path) != nullptr;
}

void SetValue(const std::string& path, const std::string& name, DWORD type, const std::string& data)
{
    CreateKey(path);
    Key& key = *KeyAt(path);
    auto it = key.Find(name);
    if (it != key.values.end())
        it->second = Value{type, data};
    else
        key.Add(name, Value{type, data});
}

void SetString(const std::string& path, const std::string& name, const std::string& text)
{
    SetValue(path, name, REG_SZ, text + '\0');
}

void DeleteValue(const std::string& path, const std::string& name)
{
    if (Key* key = KeyAt(path)) {
        auto it = key->Find(name);
        if (it != key->values.end())
            key->Erase(it);
    }
}

std::optional<Value> GetValue(const std::string& path, const std::string& name)
{
    Key* key = KeyAt(path);
    if (!key)
        return std::nullopt;
    auto it = key->Find(name);
    if (it == key->values.end())
        return std::nullopt;
    return it->second;
}

void DenyAccess(const std::string& path, REGSAM rights)
{
    CreateKey(path);
    KeyAt(path)->deniedRights |= rights;
}

RegistryImage Registry()
{
    RegistryImage image;
    for (const auto& [path, key] : S().keys)
        image[path] = key.values;
    return image;
}

const std::vector<Call>& CallLog() { return S().log; }

void FailCall(Call call, int occurrence, LONG code)
{
    S().failures.push_back(Failure{call, occurrence, code});
}

void AfterCall(Call call, std::function<void()> action)
{
    S().afterCall.emplace(call, std::move(action));
}

int OpenKeyCount() { return static_cast<int>(S().handles.size()); }

const std::vector<std::string>& DebugOutput() { return S().debugOutput; }

const DialogState& Dialog() { return S().dialog; }

void SetDialogScript(DialogScript script) { S().script = std::move(script); }

void FailDialogCreation(DWORD error) { S().dialogCreationError = error; }

void ChooseItem(int index)
{
    DialogState& d = S().dialog;
    d.selection = index >= 0 && index < static_cast<int>(d.items.size()) ? index : -1;
}

INT_PTR SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    State& s = S();
    if (!s.dialogProc || s.dialog.ended)
        return FALSE;
    s.insideProc = true;
    INT_PTR result = s.dialogProc(dialog, message, wParam, lParam);
    s.insideProc = false;
    return result;
}

INT_PTR SendCommand(HWND dialog, int id, int notification)
{
    WPARAM wParam = (static_cast<WPARAM>(notification & 0xffff) << 16) | static_cast<WORD>(id);
    return SendToDialog(dialog, WM_COMMAND, wParam, 0);
}

int InitCommonControlsCount() { return S().initCommonControls; }

void SetCommandLine(const std::string& commandLine) { S().commandLine = commandLine; }

} // namespace fake

using fake::Call;
using fake::S;

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    auto injected = fake::Enter(Call::RegOpenKeyExA);
    if (!result)
        return fake::Finish(Call::RegOpenKeyExA, fake::ERROR_INVALID_PARAMETER);
    *result = nullptr;
    if (injected)
        return fake::Finish(Call::RegOpenKeyExA, *injected);
    if (parent != HKEY_LOCAL_MACHINE)
        return fake::Finish(Call::RegOpenKeyExA, LONG(ERROR_INVALID_HANDLE));
    std::string path = subKey ? subKey : "";
    fake::Key* key = fake::KeyAt(path);
    if (!key)
        return fake::Finish(Call::RegOpenKeyExA, LONG(ERROR_FILE_NOT_FOUND));
    if (key->deniedRights & access & 0xffff)
        return fake::Finish(Call::RegOpenKeyExA, LONG(ERROR_ACCESS_DENIED));
    uintptr_t handle = S().nextHandle++;
    S().handles[handle] = fake::OpenKey{path, access};
    *result = reinterpret_cast<HKEY>(handle);
    return fake::Finish(Call::RegOpenKeyExA, LONG(ERROR_SUCCESS));
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize)
{
    const Call call = Call::RegQueryValueExA;
    if (auto injected = fake::Enter(call)) {
        if (type)
            *type = REG_SZ;
        if (data && dataSize)
            fake::Scribble(data, *dataSize);
        if (dataSize)
            *dataSize = *injected == ERROR_MORE_DATA ? *dataSize + 1 : *dataSize;
        return fake::Finish(call, *injected);
    }
    fake::OpenKey* open = fake::Lookup(key);
    if (!open)
        return fake::Finish(call, LONG(ERROR_INVALID_HANDLE));
    if (!(open->access & fake::KEY_QUERY_VALUE))
        return fake::Finish(call, LONG(ERROR_ACCESS_DENIED));
    if (data && !dataSize)
        return fake::Finish(call, fake::ERROR_INVALID_PARAMETER);
    fake::Key* stored = fake::KeyAt(open->path);
    if (!stored)
        return fake::Finish(call, LONG(ERROR_FILE_NOT_FOUND)); // deleted while open
    auto it = stored->Find(valueName ? valueName : "");
    if (it == stored->values.end())
        return fake::Finish(call, LONG(ERROR_FILE_NOT_FOUND));
    const fake::Value& value = it->second;
    if (type)
        *type = value.type;
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data && needed > *dataSize) {
        *dataSize = needed; // the buffer is left as it was
        return fake::Finish(call, LONG(ERROR_MORE_DATA));
    }
    if (data)
        std::memcpy(data, value.data.data(), needed);
    if (dataSize)
        *dataSize = needed;
    return fake::Finish(call, LONG(ERROR_SUCCESS));
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                      LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength,
                      LPDWORD maxValueLength, LPDWORD securityDescriptor, void*)
{
    const Call call = Call::RegQueryInfoKeyA;
    if (auto injected = fake::Enter(call)) {
        if (values)
            *values = 0xbdbdbdbd;
        return fake::Finish(call, *injected);
    }
    fake::OpenKey* open = fake::Lookup(key);
    if (!open)
        return fake::Finish(call, LONG(ERROR_INVALID_HANDLE));
    fake::Key* stored = fake::KeyAt(open->path);
    if (!stored)
        return fake::Finish(call, LONG(ERROR_FILE_NOT_FOUND));
    DWORD longestName = 0, longestData = 0;
    for (const auto& v : stored->values) {
        longestName = std::max(longestName, static_cast<DWORD>(v.first.size()));
        longestData = std::max(longestData, static_cast<DWORD>(v.second.data.size()));
    }
    for (LPDWORD zero : {subKeys, maxSubKeyLength, maxClassLength, securityDescriptor})
        if (zero)
            *zero = 0;
    if (values)
        *values = static_cast<DWORD>(stored->values.size());
    if (maxValueNameLength)
        *maxValueNameLength = longestName;
    if (maxValueLength)
        *maxValueLength = longestData;
    return fake::Finish(call, LONG(ERROR_SUCCESS));
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameLength, LPDWORD,
                   LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    const Call call = Call::RegEnumValueA;
    if (auto injected = fake::Enter(call)) {
        if (valueName && valueNameLength && *valueNameLength) {
            // A truncated, terminated name, as a too-small buffer gets.
            fake::Scribble(valueName, *valueNameLength);
            valueName[*valueNameLength - 1] = '\0';
        }
        return fake::Finish(call, *injected);
    }
    fake::OpenKey* open = fake::Lookup(key);
    if (!open)
        return fake::Finish(call, LONG(ERROR_INVALID_HANDLE));
    if (!(open->access & fake::KEY_QUERY_VALUE))
        return fake::Finish(call, LONG(ERROR_ACCESS_DENIED));
    if (!valueName || !valueNameLength)
        return fake::Finish(call, fake::ERROR_INVALID_PARAMETER);
    fake::Key* stored = fake::KeyAt(open->path);
    if (!stored || index >= stored->values.size())
        return fake::Finish(call, LONG(ERROR_NO_MORE_ITEMS));
    const auto& [name, value] = stored->values[index];
    // The capacity counts the terminator; the length returned does not.
    if (name.size() + 1 > *valueNameLength) {
        if (*valueNameLength) {
            size_t kept = *valueNameLength - 1;
            std::memcpy(valueName, name.data(), kept);
            valueName[kept] = '\0';
        }
        return fake::Finish(call, LONG(ERROR_MORE_DATA));
    }
    std::memcpy(valueName, name.c_str(), name.size() + 1);
    *valueNameLength = static_cast<DWORD>(name.size());
    if (type)
        *type = value.type;
    if (dataSize) {
        DWORD needed = static_cast<DWORD>(value.data.size());
        if (data && needed > *dataSize) {
            *dataSize = needed;
            return fake::Finish(call, LONG(ERROR_MORE_DATA));
        }
        if (data)
            std::memcpy(data, value.data.data(), needed);
        *dataSize = needed;
    }
    return fake::Finish(call, LONG(ERROR_SUCCESS));
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    const Call call = Call::RegSetValueExA;
    if (auto injected = fake::Enter(call))
        return fake::Finish(call, *injected);
    fake::OpenKey* open = fake::Lookup(key);
    if (!open)
        return fake::Finish(call, LONG(ERROR_INVALID_HANDLE));
    if (!(open->access & fake::KEY_SET_VALUE))
        return fake::Finish(call, LONG(ERROR_ACCESS_DENIED));
    if (!data && dataSize)
        return fake::Finish(call, fake::ERROR_INVALID_PARAMETER);
    std::string bytes(reinterpret_cast<const char*>(data), dataSize);
    fake::SetValue(open->path, valueName ? valueName : "", type, bytes);
    return fake::Finish(call, LONG(ERROR_SUCCESS));
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    const Call call = Call::RegDeleteValueA;
    if (auto injected = fake::Enter(call))
        return fake::Finish(call, *injected);
    fake::OpenKey* open = fake::Lookup(key);
    if (!open)
        return fake::Finish(call, LONG(ERROR_INVALID_HANDLE));
    if (!(open->access & fake::KEY_SET_VALUE))
        return fake::Finish(call, LONG(ERROR_ACCESS_DENIED));
    std::string name = valueName ? valueName : "";
    if (!fake::GetValue(open->path, name))
        return fake::Finish(call, LONG(ERROR_FILE_NOT_FOUND));
    fake::DeleteValue(open->path, name);
    return fake::Finish(call, LONG(ERROR_SUCCESS));
}

LONG RegCloseKey(HKEY key)
{
    const Call call = Call::RegCloseKey;
    auto injected = fake::Enter(call);
    bool known = S().handles.erase(reinterpret_cast<uintptr_t>(key)) > 0;
    // An injected failure still releases the handle: a caller has no other
    // way to close it, and what is tested is that it tried.
    if (injected)
        return fake::Finish(call, *injected);
    return fake::Finish(call, known ? LONG(ERROR_SUCCESS) : LONG(ERROR_INVALID_HANDLE));
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC dialogProc, LPARAM initParam)
{
    const Call call = Call::DialogBoxParamA;
    fake::State& s = S();
    std::optional<LONG> injected = fake::Enter(call);
    if (!injected && s.dialogCreationError)
        injected = static_cast<LONG>(s.dialogCreationError);
    if (injected) {
        s.lastError = static_cast<DWORD>(*injected);
        return fake::Finish(call, INT_PTR(-1));
    }
    s.dialog = fake::DialogState();
    s.dialog.created = true;
    s.dialog.templateId = static_cast<int>(reinterpret_cast<uintptr_t>(templateName));
    s.dialogProc = dialogProc;
    fake::SendToDialog(fake::kDialogWindow, WM_INITDIALOG, 0, initParam);
    fake::DialogScript script = s.script ? s.script
                                         : [](HWND d) { fake::SendCommand(d, IDCANCEL); };
    script(fake::kDialogWindow);
    s.dialogProc = nullptr;
    // A dialog that never ended would still be open: report it as a failure
    // the test will see rather than hang.
    return fake::Finish(call, s.dialog.ended ? s.dialog.endCode : INT_PTR(-1));
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    fake::DialogState& d = S().dialog;
    if (dialog != fake::kDialogWindow || d.ended)
        return FALSE;
    d.ended = true;
    d.endCode = result;
    d.closedInsideHandler = S().insideProc;
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    if (dialog != fake::kDialogWindow || id != fake::kListControlId)
        return nullptr;
    return fake::ControlWindow(id);
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int capacity)
{
    if (!text || capacity <= 0)
        return 0;
    text[0] = '\0';
    const fake::DialogState& d = S().dialog;
    if (dialog != fake::kDialogWindow || id != fake::kListControlId || d.selection < 0)
        return 0;
    const std::string& item = d.items[d.selection];
    size_t length = std::min(item.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(text, item.data(), length);
    text[length] = '\0';
    return static_cast<UINT>(length);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    fake::DialogState& d = S().dialog;
    if (window != fake::ControlWindow(fake::kListControlId))
        return 0;
    switch (message) {
    case CB_ADDSTRING:
        d.items.emplace_back(reinterpret_cast<LPCSTR>(lParam));
        return static_cast<LRESULT>(d.items.size() - 1);
    case CB_SETCURSEL: {
        // -1 clears the selection; like an index out of range it returns CB_ERR.
        auto index = static_cast<int>(static_cast<intptr_t>(wParam));
        fake::ChooseItem(index);
        return d.selection == -1 ? CB_ERR : d.selection;
    }
    case CB_GETCURSEL:
        return d.selection;
    }
    return 0;
}

void OutputDebugStringA(LPCSTR text)
{
    if (text)
        S().debugOutput.emplace_back(text);
}

DWORD GetLastError() { return S().lastError; }

void SetLastError(DWORD code) { S().lastError = code; }

LPSTR GetCommandLineA() { return S().commandLine.data(); }

void InitCommonControls() { ++S().initCommonControls; }
