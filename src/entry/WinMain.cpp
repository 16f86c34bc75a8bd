#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "../dialog/ProviderDialog.h"
#include "../providers/Providers.h"
#include "../../res/resource.h"

// Exit codes: 0 dialog closed or ProviderRegKey deleted, 1 "/d" deleted
// nothing, 2 the dialog could not be made, 3 the configuration is unreadable.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int)
{
    if (!LoadProviders()) {
        OutputDebugStringA("Kelvora: Couldn't get providers");
        return 3;
    }
    // Exact match only: "/D" or "/d " is a display name like any other text.
    if (tail && std::strcmp(tail, "/d") == 0)
        return ClearProvider();
    if (tail && *tail)
        SelectProvider(tail);

    InitCommonControls();
    INT_PTR ended = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PROVIDER), nullptr,
                                    ProviderDialogProc, 0);
    if (ended == -1) {
        char message[256];
        std::snprintf(message, sizeof message, "Kelvora: Couldn't make dialog window (%lx)\n",
                      static_cast<unsigned long>(GetLastError()));
        OutputDebugStringA(message);
        return 2;
    }
    return 0;
}
