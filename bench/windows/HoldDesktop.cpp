// Keeps Wine's desktop in use while the benchmark runs. The Wine server
// closes a desktop, and its explorer process exits, about a second after the
// last process using it has gone; every dialog run would then also pay for
// starting the desktop again, which Windows never does. Runs until the
// benchmark ends the prefix's processes.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
