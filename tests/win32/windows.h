// Host stand-in for the part of the Win32 API that Kelvora uses, written from
// the documented behaviour of each call. Lets the program's own sources build
// and run on Linux against an in-memory registry and a scripted dialog; the
// controls for tests live in FakeWin32.h.
#pragma once

#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef wchar_t* LPWSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef DWORD REGSAM;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;

struct HKEY__;
struct HWND__;
struct HINSTANCE__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef HWND__* HWND;
typedef HINSTANCE__* HINSTANCE;

#define WINAPI
#define CALLBACK
#define TRUE 1
#define FALSE 0

typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))

#define KEY_READ  0x20019
#define KEY_WRITE 0x20006

#define REG_NONE      0
#define REG_SZ        1
#define REG_EXPAND_SZ 2
#define REG_BINARY    3
#define REG_DWORD     4
#define REG_MULTI_SZ  7

#define ERROR_SUCCESS                0L
#define ERROR_FILE_NOT_FOUND         2L
#define ERROR_ACCESS_DENIED          5L
#define ERROR_INVALID_HANDLE         6L
#define ERROR_MORE_DATA              234L
#define ERROR_NO_MORE_ITEMS          259L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_NO_WINDOW_STATION      1400L

#define WM_INITDIALOG 0x0110
#define WM_COMMAND    0x0111
#define WM_CLOSE      0x0010
#define WM_SETREDRAW  0x000B

#define IDOK     1
#define IDCANCEL 2

#define CB_ERR       (-1)
#define CB_ADDSTRING 0x0143
#define CB_SETCURSEL 0x014E
#define CB_GETCURSEL 0x0147

#define LOWORD(l) (static_cast<WORD>(static_cast<uintptr_t>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<uintptr_t>(l) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))

// Registry (advapi32)
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize);
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptor, void* lastWriteTime);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameLength,
                   LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                    const BYTE* data, DWORD dataSize);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG RegCloseKey(HKEY key);

// Dialog manager and window messages (user32)
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                        DLGPROC dialogProc, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int capacity);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Process and diagnostics (kernel32)
void OutputDebugStringA(LPCSTR text);
DWORD GetLastError();
void SetLastError(DWORD code);
LPSTR GetCommandLineA();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
