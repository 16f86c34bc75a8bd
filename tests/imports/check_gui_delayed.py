#!/usr/bin/python3
"""USER32 and COMCTL32 are delay-loaded: the import table that the loader
processes at start-up names neither, and the delay-load import table names
both with exactly the functions the program calls. Loading USER32 connects to
the display, so a run that shows no dialog ("/d", or a failure before the
dialog) must not load it.

usage: check_gui_delayed.py x86|x64 EXE_DIR   (an empty EXE_DIR: skipped, 77)
"""
import os
import sys

import pefile

SKIPPED = 77

DELAYED = {
    "USER32.dll": {"DialogBoxParamA", "EndDialog", "GetDlgItem", "GetDlgItemTextA", "SendMessageA"},
    "COMCTL32.dll": {"InitCommonControls"},
}


def tables(pe):
    """{dll in upper case: set of function names} of the normal and the delay
    table."""
    def read(entries):
        return {entry.dll.decode("ascii", "replace").upper():
                {i.name.decode("ascii", "replace") if i.name else f"#{i.ordinal}" for i in entry.imports}
                for entry in entries}
    return (read(getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])),
            read(getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])))


def main(argv):
    if len(argv) != 3 or argv[1] not in ("x86", "x64"):
        sys.exit(__doc__)
    arch, folder = argv[1], argv[2]
    if not folder:
        print(f"skipped: no {arch} build folder given (KELVORA_{arch.upper()}_DIR)")
        return SKIPPED
    path = os.path.join(folder, "Kelvora.exe")
    if not os.path.isfile(path):
        print(f"FAIL [{arch}] {path} does not exist")
        return 1
    pe = pefile.PE(path)
    normal, delayed = tables(pe)
    print(f"[{arch}] import table: {', '.join(sorted(normal)) or '(empty)'}")
    print(f"[{arch}] delay-load import table: {', '.join(sorted(delayed)) or '(empty)'}")

    cases = []  # (label, expected, got)
    for dll, functions in DELAYED.items():
        key = dll.upper()
        cases.append((f"{dll} in the import table", "absent",
                      "present" if key in normal else "absent"))
        cases.append((f"{dll} functions in the delay-load import table", sorted(functions),
                      sorted(delayed.get(key, set()))))
    cases.append(("DLLs in the delay-load import table", sorted(d.upper() for d in DELAYED),
                  sorted(delayed)))
    # Every descriptor holds RVAs (attribute 1), the only form that 64-bit
    # Windows and its tools accept.
    for entry in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []):
        dll = entry.dll.decode("ascii", "replace")
        cases.append((f"{dll} descriptor attributes", 1, entry.struct.grAttrs))

    failures = [f"{label}: expected {expected!r}, got {got!r}"
                for label, expected, got in cases if expected != got]
    for failure in failures:
        print(f"FAIL [{arch}] {failure}")
    print(f"[{arch}] GUI DLLs of {path}: "
          + (f"{len(failures)} mismatch(es)" if failures else "delay-loaded as expected"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
