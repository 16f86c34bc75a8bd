/* Starts a program with a command line given byte for byte, waits for it and
 * exits with its exit code. wine64 re-quotes the arguments it is given (a
 * trailing blank or a literal quote would not survive), so the command line
 * comes hex-encoded in the environment instead, which also keeps bytes above
 * 0x7F away from any code-page conversion on the way in. */
#include <windows.h>
#include <stdio.h>

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int main(void)
{
    char hex[8192];
    char line[4096];
    DWORD length = GetEnvironmentVariableA("KELVORA_COMMAND_LINE_HEX", hex, sizeof hex);
    if (length == 0 || length >= sizeof hex || length % 2 != 0) {
        fprintf(stderr, "launch: KELVORA_COMMAND_LINE_HEX missing or malformed\n");
        return 255;
    }
    for (DWORD i = 0; i < length / 2; ++i) {
        int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
        /* A NUL would cut the command line short without anyone noticing. */
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            fprintf(stderr, "launch: bad byte at %lu in KELVORA_COMMAND_LINE_HEX\n", i);
            return 255;
        }
        line[i] = (char)(high * 16 + low);
    }
    line[length / 2] = '\0';

    /* No application name: CreateProcessA finds the program in the command
     * line itself, as a shell or batch file would have it found. */
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "launch: CreateProcessA failed (%lu)\n", GetLastError());
        return 255;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}
