#!/usr/bin/python3
"""The imports: every DLL named in the import table or the delay-load import
table is one that every Windows carries, so the exe runs as one copied file.
The C and C++ runtimes are linked in statically, so none of MinGW's own DLLs
(libstdc++-6, libgcc_s_*, libwinpthread-1) may appear, nor the Universal CRT's
api-ms-win-crt-* forwarders, which older Windows lacks."""
import sys

from kelvora_pe import expect, finish, open_exe

# DLLs shipped with every Windows since XP, in lower case.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comctl32.dll",
    "comdlg32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll",
    "version.dll", "msvcrt.dll", "ntdll.dll",
}

# DLLs the program cannot do without: the registry, the dialog manager and the
# common controls. Each may sit in either table (delay-loading is allowed).
REQUIRED = {
    "kernel32.dll": "process start-up and debug output",
    "advapi32.dll": "the registry calls",
    "user32.dll": "the dialog manager",
    "comctl32.dll": "InitCommonControls (common controls v6 through the manifest)",
}

arch, path, pe = open_exe(sys.argv)
failures = []
tables = {
    "import table": getattr(pe, "DIRECTORY_ENTRY_IMPORT", []),
    "delay-load import table": getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []),
}
named = set()
for table, entries in tables.items():
    dlls = [entry.dll.decode("ascii", "replace") for entry in entries]
    print(f"[{arch}] {table}: {', '.join(dlls) or '(empty)'}")
    for dll in dlls:
        named.add(dll.lower())
        expect(failures, f"{table}: {dll}", "a DLL every Windows has",
               "a DLL every Windows has" if dll.lower() in SYSTEM_DLLS else "a DLL outside that list")
for dll, reason in REQUIRED.items():
    expect(failures, f"{dll} ({reason})", "imported", "imported" if dll in named else "not imported")
finish(arch, f"imports of {path}", failures)
