#!/usr/bin/env python3
"""Points the delay-import entry of a PE's data directory at its table.

GNU ld fills in the import, IAT, resource, TLS and exception entries, but
leaves the delay-import entry empty, so tools that list a program's DLLs
(dumpbin, Dependencies, pefile) would not see the delay-loaded ones. The
descriptors that dlltool made sit together in .text$2, followed by the
zeroed terminator of DelayImportEnd.c; their place comes from the link map.

usage: SetDelayImportDirectory.py EXE MAP
"""
import re
import struct
import sys

DESCRIPTOR_SIZE = 32
DELAY_IMPORT_ENTRY = 13


def descriptors_from_map(map_text):
    """(address, size) of each input section .text$2 in the map."""
    found = []
    # ld writes " .text$2  0x0000000140001230  0x20 libuser32_delay.a(..._h.o)",
    # breaking the line after a long section name.
    for match in re.finditer(r"^ \.text\$2\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s", map_text, re.M):
        found.append((int(match.group(1), 16), int(match.group(2), 16)))
    return found


def main(exe_path, map_path):
    with open(map_path) as f:
        sections = [s for s in descriptors_from_map(f.read()) if s[1]]
    if not sections:
        sys.exit(f"{map_path}: no delay-import descriptors (.text$2) in the link map")
    start = min(a for a, _ in sections)
    end = max(a + s for a, s in sections)
    if end - start != sum(s for _, s in sections) or (end - start) % DESCRIPTOR_SIZE:
        sys.exit(f"{map_path}: the delay-import descriptors are not one array")

    with open(exe_path, "r+b") as f:
        image = bytearray(f.read())
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        if image[pe:pe + 4] != b"PE\0\0":
            sys.exit(f"{exe_path}: not a PE file")
        optional = pe + 24
        magic = struct.unpack_from("<H", image, optional)[0]
        if magic == 0x10B:
            image_base = struct.unpack_from("<I", image, optional + 28)[0]
            directory = optional + 96
        elif magic == 0x20B:
            image_base = struct.unpack_from("<Q", image, optional + 24)[0]
            directory = optional + 112
        else:
            sys.exit(f"{exe_path}: unknown optional header")
        rva = start - image_base

        # The terminator must follow the last descriptor in the file.
        sections_at = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
        for i in range(struct.unpack_from("<H", image, pe + 6)[0]):
            _, va, raw_size, raw_pointer = struct.unpack_from("<IIII", image, sections_at + 40 * i + 8)
            if va <= rva < va + raw_size:
                offset = raw_pointer + rva - va
                break
        else:
            sys.exit(f"{exe_path}: the delay-import descriptors are in no section")
        table = end - start
        if any(image[offset + table:offset + table + DESCRIPTOR_SIZE]):
            sys.exit(f"{exe_path}: no zeroed descriptor after the delay-import table")

        struct.pack_into("<II", image, directory + 8 * DELAY_IMPORT_ENTRY,
                         rva, table + DESCRIPTOR_SIZE)
        f.seek(0)
        f.write(image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
