"""Shared helpers of the checks that read a built Kelvora.exe as a file.

Each check is run as `check_X.py ARCH EXE_DIR`. An empty EXE_DIR means that
build was not given to the host tree: the check reports itself skipped (exit
77). A given folder without Kelvora.exe in it is a failure, not a skip.
"""
import os
import struct
import sys

import pefile

SKIPPED = 77

RT_DIALOG = 5
RT_VERSION = 16
RT_MANIFEST = 24
LANG_EN_US = 1033

# The texts chosen for the manifest's description and the version block
# (res/version.h holds them for the build).
TITLE = "Kelvora source control provider switcher"
MAKER = "Plain Tools"
COPYRIGHT = "Copyright (C) 2026 Plain Tools"


def open_exe(argv):
    """Parses ARCH EXE_DIR from argv and returns (arch, path, pefile.PE)."""
    if len(argv) != 3 or argv[1] not in ("x86", "x64"):
        sys.exit(f"usage: {argv[0]} x86|x64 EXE_DIR")
    arch, folder = argv[1], argv[2]
    if not folder:
        print(f"skipped: no {arch} build folder given (KELVORA_{arch.upper()}_DIR)")
        sys.exit(SKIPPED)
    path = os.path.join(folder, "Kelvora.exe")
    if not os.path.isfile(path):
        sys.exit(f"FAIL [{arch}] {path} does not exist")
    return arch, path, pefile.PE(path)


def resources(pe):
    """Every resource as (type, id, language, bytes), ids as ints or names as str."""
    found = []
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return found
    for kind in root.entries:
        kind_key = kind.id if kind.name is None else str(kind.name)
        for entry in kind.directory.entries:
            entry_key = entry.id if entry.name is None else str(entry.name)
            for lang in entry.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                found.append((kind_key, entry_key, lang.id, data))
    return found


def resource(pe, kind, number, failures, label):
    """The bytes of the one resource (kind, number); records a failure when it
    is missing, duplicated or not in US English."""
    matches = [r for r in resources(pe) if r[0] == kind and r[1] == number]
    langs = [r[2] for r in matches]
    expect(failures, f"{label}: languages of resource type {kind} id {number}", [LANG_EN_US], langs)
    return matches[0][3] if len(matches) == 1 else None


def expect(failures, label, expected, got):
    if expected != got:
        failures.append(f"{label}: expected {expected!r}, got {got!r}")


def finish(arch, what, failures):
    """Prints the outcome and exits 1 on any failure."""
    if failures:
        for failure in failures:
            print(f"FAIL [{arch}] {failure}")
        print(f"[{arch}] {what}: {len(failures)} mismatch(es)")
        sys.exit(1)
    print(f"[{arch}] {what}: as expected")
    sys.exit(0)


class Cursor:
    """Reads little-endian fields from a resource's bytes, failing loudly when
    a field runs past the end (a truncated resource)."""

    def __init__(self, data, offset=0):
        self.data = data
        self.offset = offset

    def take(self, fmt):
        size = struct.calcsize("<" + fmt)
        if self.offset + size > len(self.data):
            raise ValueError(f"truncated at byte {self.offset} reading {fmt}")
        values = struct.unpack_from("<" + fmt, self.data, self.offset)
        self.offset += size
        return values if len(values) > 1 else values[0]

    def wide_string(self):
        """A NUL-terminated UTF-16LE string."""
        units = []
        while True:
            unit = self.take("H")
            if unit == 0:
                return "".join(map(chr, units))
            units.append(unit)

    def sz_or_ord(self):
        """The template's "string or ordinal" field: 0xFFFF then an ordinal, or a string."""
        if self.offset + 2 <= len(self.data) and struct.unpack_from("<H", self.data, self.offset)[0] == 0xFFFF:
            self.offset += 2
            return self.take("H")
        return self.wide_string()

    def align(self, boundary=4, base=0):
        self.offset = base + ((self.offset - base + boundary - 1) // boundary) * boundary
