// Test controls for the host stand-in of the Win32 calls: an in-memory
// HKEY_LOCAL_MACHINE, a log of every call with a way to make any one of them
// fail, a count of open key handles, the debug output, and a scripted dialog
// with its drop-down list.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "windows.h"

namespace fake {

enum class Call {
    RegOpenKeyExA,
    RegQueryValueExA,
    RegQueryInfoKeyA,
    RegEnumValueA,
    RegSetValueExA,
    RegDeleteValueA,
    RegCloseKey,
    DialogBoxParamA,
};
const char* CallName(Call call);

// Everything back to a fresh process on an empty machine.
void Reset();

// --- Registry (paths are under HKEY_LOCAL_MACHINE; names compare without
// case, as the registry's do) ---
struct Value {
    DWORD type;
    std::string data; // the stored bytes, exactly: no terminator is added
};
inline bool operator==(const Value& a, const Value& b) { return a.type == b.type && a.data == b.data; }
inline bool operator!=(const Value& a, const Value& b) { return !(a == b); }
// For test failures: the type and the bytes, unprintable ones as \xNN.
inline std::ostream& operator<<(std::ostream& out, const Value& v)
{
    out << "type " << v.type << ", " << v.data.size() << " bytes \"";
    for (unsigned char c : v.data) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            out << static_cast<char>(c);
        } else {
            const char* digits = "0123456789abcdef";
            out << "\\x" << digits[c >> 4] << digits[c & 15];
        }
    }
    return out << '"';
}
void CreateKey(const std::string& path);
void DeleteKey(const std::string& path);
bool KeyExists(const std::string& path);
void SetValue(const std::string& path, const std::string& name, DWORD type, const std::string& data);
// A REG_SZ stored the way programs write it: the text and one NUL.
void SetString(const std::string& path, const std::string& name, const std::string& text);
void DeleteValue(const std::string& path, const std::string& name);
std::optional<Value> GetValue(const std::string& path, const std::string& name);
// Opening `path` asking for any right in `rights` fails with ERROR_ACCESS_DENIED.
void DenyAccess(const std::string& path, REGSAM rights);
// The whole registry: each key (by lower-cased path) with its values in
// creation order, which is also their enumeration order. For checking that a
// run changed nothing but what it meant to.
using RegistryImage = std::map<std::string, std::vector<std::pair<std::string, Value>>>;
RegistryImage Registry();

// --- Calls ---
const std::vector<Call>& CallLog();
// The `occurrence`-th call (1-based) of `call`, and only that one, fails with
// `code`. Outputs are scribbled with junk, so a caller that reads them after
// the failure is caught.
void FailCall(Call call, int occurrence, LONG code);
// Runs `action` right after every completed call of `call` (for instance to
// remove values between counting and enumerating them).
void AfterCall(Call call, std::function<void()> action);
int OpenKeyCount();

// --- Debug output: one string per OutputDebugStringA ---
const std::vector<std::string>& DebugOutput();

// --- Dialog ---
// The drop-down list's window id in the dialog template.
constexpr int kListControlId = 1001;
struct DialogState {
    bool created = false;      // DialogBoxParamA made the dialog
    int templateId = -1;       // the template it was asked for
    std::vector<std::string> items;
    int selection = -1;        // CB_ERR: nothing selected
    bool ended = false;
    INT_PTR endCode = 0;
    bool closedInsideHandler = false; // EndDialog from inside the procedure
};
const DialogState& Dialog();
// What the user does while the dialog is open. Runs after WM_INITDIALOG;
// DialogBoxParamA returns once it is done. The default presses Cancel.
using DialogScript = std::function<void(HWND dialog)>;
void SetDialogScript(DialogScript script);
// Dialog creation fails with this error code, as when the template is missing.
void FailDialogCreation(DWORD error);
// User actions for scripts.
void ChooseItem(int index);                       // select a list item (-1: none)
INT_PTR SendCommand(HWND dialog, int id, int notification = 0); // WM_COMMAND, returns the procedure's result
INT_PTR SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int InitCommonControlsCount();

// --- Process ---
void SetCommandLine(const std::string& commandLine);

} // namespace fake
