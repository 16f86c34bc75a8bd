// The modal dialog that lists the installed providers and applies the choice.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ProviderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// WM_INITDIALOG: lists the providers in catalogue order and selects the one
// whose key is the active key, or nothing when none is.
void FillProviderList(HWND dialog);

// OK: makes the provider named by the list's text the active one.
void ApplyProviderChoice(HWND dialog);
