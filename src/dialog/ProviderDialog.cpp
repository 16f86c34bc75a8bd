#include "ProviderDialog.h"

#include "../providers/Providers.h"
#include "../../res/resource.h"

void FillProviderList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_PROVIDER);
    // With no provider matching the active key, nothing is selected: an
    // active key whose provider is gone shows as no choice, not as some
    // other provider.
    LRESULT selected = -1;
    // The list is not on screen yet; without this it redraws and resizes
    // its scroll range after every item, which for 10,000 providers costs
    // the dialog about a sixth of its opening time.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const auto& provider : InstalledProviders) {
        LRESULT index = SendMessageA(list, CB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(provider.first.c_str()));
        // A later match wins, so of several providers sharing the active key
        // the last in list order is shown.
        if (provider.second == CurrentProviderKey)
            selected = index;
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ApplyProviderChoice(HWND dialog)
{
    // The list holds names taken from the catalogue, at most 254 characters,
    // so the selected one always fits; empty when nothing is selected.
    char name[256] = "";
    GetDlgItemTextA(dialog, IDC_PROVIDER, name, sizeof name);
    SelectProvider(name);
}

INT_PTR CALLBACK ProviderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillProviderList(dialog);
        return TRUE;
    case WM_COMMAND:
        // Enter arrives as IDOK (the default button), Esc and the close box
        // as IDCANCEL; the notification code in the high word is ignored.
        switch (LOWORD(wParam)) {
        case IDOK:
            ApplyProviderChoice(dialog);
            EndDialog(dialog, 0);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
