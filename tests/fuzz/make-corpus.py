#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz target into corpus/ beside this file.

Each seed is one machine in the target's input layout (see KelvoraFuzz.cpp):
the cases worth starting from, so that the fuzzer begins with real registries
instead of discovering the layout byte by byte.
"""
import os
import struct

SZ, EXPAND_SZ, MULTI_SZ, BINARY, DWORD, NONE, QWORD = 0, 4, 5, 6, 7, 8, 9
OPEN, QUERY, INFO, ENUM, SET, DELETE, CLOSE, DIALOG = range(8)
ACCESS_DENIED, FILE_NOT_FOUND, MORE_DATA, NO_MORE_ITEMS, INVALID_HANDLE, NAME_NOT_FOUND = range(6)
ROOT, INSTALLED, ACTIVE, NO_TAIL = 1, 2, 4, 8
ROOT_NOT_WRITABLE, INSTALLED_NOT_READABLE, ROOT_NOT_READABLE = 16, 32, 64
USUAL = ROOT | INSTALLED | ACTIVE
CANCEL, OK_AS_SHOWN, OK_ON = 0, 1, 2

TWO = [(SZ, b"Beta", b"KeyB\0"), (SZ, b"Alpha", b"KeyA\0")]


def text(data):
    return struct.pack("<H", len(data)) + data


def seed(flags=USUAL, active=(SZ, b"KeyB\0"), providers=TWO, faults=(),
         change=(0, 0), tail=b"", action=CANCEL, item=-1):
    out = bytes([flags])
    if flags & ACTIVE:
        out += bytes([active[0]]) + text(active[1])
    out += bytes([len(providers)])
    for kind, name, data in providers:
        out += bytes([kind]) + text(name) + text(data)
    out += bytes([len(faults)])
    for call, occurrence, code in faults:
        out += bytes([call, occurrence - 1, code])
    # The target maps the item byte b to index b % (items + 1) - 1.
    out += bytes(change) + text(tail) + bytes([action, item + 1])
    return out


HIGH = bytes(range(0x80, 0x100))
SEEDS = {
    "dialog-ok-on-alpha": seed(action=OK_ON, item=0),
    "dialog-cancel": seed(),
    "clear": seed(tail=b"/d"),
    "clear-nothing-to-delete": seed(flags=ROOT | INSTALLED, tail=b"/d"),
    "known-name-then-ok": seed(tail=b"Alpha", action=OK_AS_SHOWN),
    "unknown-name": seed(tail=b"\"Alpha\""),
    "no-tail": seed(flags=USUAL | NO_TAIL, action=OK_AS_SHOWN),
    "root-not-writable": seed(flags=USUAL | ROOT_NOT_WRITABLE, tail=b"Alpha", action=OK_ON, item=1),
    "root-not-writable-clear": seed(flags=USUAL | ROOT_NOT_WRITABLE, tail=b"/d"),
    "installed-not-readable": seed(flags=USUAL | INSTALLED_NOT_READABLE),
    "root-not-readable": seed(flags=USUAL | ROOT_NOT_READABLE, tail=b"/d"),
    "no-root-key": seed(flags=0, providers=[]),
    "no-installed-key": seed(flags=ROOT | ACTIVE, providers=[], tail=b"/d"),
    "active-key-dword": seed(active=(DWORD, b"\1\0\0\0")),
    "active-key-255-no-nul": seed(active=(SZ, b"k" * 255),
                                  providers=[(SZ, b"Long", b"k" * 255)] + TWO),
    "active-key-256": seed(active=(SZ, b"k" * 255 + b"\0")),
    "names-254-255-300": seed(providers=[(SZ, b"n" * 254, b"K254\0"), (SZ, b"m" * 255, b"K255\0"),
                                         (SZ, b"o" * 300, b"K300\0")], action=OK_ON, item=0),
    "data-255-256-4096": seed(providers=[(SZ, b"A", b"d" * 255), (SZ, b"B", b"e" * 255 + b"\0"),
                                         (SZ, b"C", b"f" * 4096)], action=OK_ON, item=0),
    "embedded-and-no-nul-and-empty": seed(providers=[(SZ, b"E", b"left\0right\0"), (SZ, b"N", b"plain"),
                                                     (SZ, b"Z", b"")], active=(SZ, b""),
                                          action=OK_AS_SHOWN),
    "high-bytes": seed(providers=[(SZ, HIGH, HIGH + b"\0"), (SZ, b"J\xf6rg", b"Key\xe9\0")],
                       active=(SZ, HIGH + b"\0"), tail=b"J\xf6rg"),
    "other-types": seed(providers=[(EXPAND_SZ, b"X", b"%P%\0"), (MULTI_SZ, b"M", b"a\0b\0\0"),
                                   (BINARY, b"B", b"\1\2"), (DWORD, b"D", b"\1\0\0\0"),
                                   (NONE, b"N", b""), (QWORD, b"Q", b"\0" * 8)] + TWO,
                        tail=b"M"),
    "default-value": seed(providers=[(SZ, b"", b"KeyD\0")] + TWO, action=OK_ON, item=0),
    "vanish-after-count": seed(change=(1, 1)),
    "vanish-between-name-and-data": seed(change=(2, 1)),
    "appear-after-count": seed(change=(3, 7), tail=b"Late7"),
    "grow-between-name-and-data": seed(change=(4, 0x40)),
    "enum-fails-more-data": seed(faults=[(ENUM, 1, MORE_DATA)], action=OK_ON, item=0),
    "ok-with-nothing-selected": seed(action=OK_ON, item=-1),
    "enum-fails-no-more-items": seed(faults=[(ENUM, 1, NO_MORE_ITEMS)]),
    "query-fails": seed(faults=[(QUERY, 2, MORE_DATA)], tail=b"Beta"),
    "count-fails": seed(faults=[(INFO, 1, ACCESS_DENIED)]),
    "write-open-fails": seed(faults=[(OPEN, 3, ACCESS_DENIED)], tail=b"Alpha", action=OK_AS_SHOWN),
    "set-fails": seed(faults=[(SET, 2, ACCESS_DENIED)], tail=b"Alpha", action=OK_ON, item=1),
    "delete-fails": seed(faults=[(DELETE, 1, FILE_NOT_FOUND)], tail=b"/d"),
    "close-fails": seed(faults=[(CLOSE, 1, INVALID_HANDLE), (CLOSE, 2, INVALID_HANDLE)]),
    "dialog-fails": seed(faults=[(DIALOG, 1, NAME_NOT_FOUND)], tail=b"Beta"),
    "thirty-two-providers": seed(providers=[(SZ, b"Provider %02d" % i, b"Key%02d\0" % i)
                                            for i in range(32)], active=(SZ, b"Key17\0"),
                                 action=OK_ON, item=9),
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    print(f"{len(SEEDS)} seeds in {folder}")
