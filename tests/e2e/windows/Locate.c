/* Prints where on the screen the dialog's OK and Cancel buttons and its close
 * box are, as "name x y" lines (centres, in screen pixels), so that the tests
 * can click them with xdotool wherever the dialog's font and frame put them.
 * Without a window manager, Wine's screen coordinates are the X root
 * window's. Exits 1 when the dialog is not open. */
#include <windows.h>
#include <stdio.h>

static void PrintCentre(const char* name, RECT rect)
{
    printf("%s %ld %ld\n", name, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

int main(void)
{
    HWND dialog = FindWindowA(NULL, "Change Source Control Provider");
    if (!dialog) {
        fprintf(stderr, "locate: dialog not open\n");
        return 1;
    }
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, IDOK), &rect);
    PrintCentre("ok", rect);
    GetWindowRect(GetDlgItem(dialog, IDCANCEL), &rect);
    PrintCentre("cancel", rect);

    /* The close box has no window of its own: ask the dialog which points of
     * its caption band it calls HTCLOSE, and take their bounding box. */
    RECT window;
    GetWindowRect(dialog, &window);
    RECT box = {window.right, window.bottom, window.left, window.top};
    int band = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    for (LONG y = window.top; y < window.top + band && y < window.bottom; ++y)
        for (LONG x = window.right - band * 2; x < window.right; ++x)
            if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                if (x < box.left) box.left = x;
                if (x > box.right) box.right = x;
                if (y < box.top) box.top = y;
                if (y > box.bottom) box.bottom = y;
            }
    if (box.left > box.right) {
        fprintf(stderr, "locate: no close box found\n");
        return 1;
    }
    PrintCentre("close", box);
    return 0;
}
