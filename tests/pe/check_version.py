#!/usr/bin/python3
"""The version block (type 16, id 1, US English): every field of
VS_FIXEDFILEINFO, the one string table "040904b0" with its twelve entries in
order, and the one translation (US English, Unicode)."""
import sys

from kelvora_pe import COPYRIGHT, MAKER, RT_VERSION, TITLE, Cursor, expect, finish, open_exe, resource

VS_FFI_SIGNATURE = 0xFEEF04BD
VS_FFI_STRUCVERSION = 0x00010000

# field of VS_FIXEDFILEINFO, expected value
FIXED = [
    ("dwSignature", VS_FFI_SIGNATURE),
    ("dwStrucVersion", VS_FFI_STRUCVERSION),
    ("dwFileVersionMS (1.0)", 0x00010000),
    ("dwFileVersionLS (0.1)", 0x00000001),
    ("dwProductVersionMS (1.0)", 0x00010000),
    ("dwProductVersionLS (0.1)", 0x00000001),
    ("dwFileFlagsMask (VS_FFI_FILEFLAGSMASK)", 0x3F),
    ("dwFileFlags (release, no special build)", 0),
    ("dwFileOS (VOS_NT_WINDOWS32)", 0x00040004),
    ("dwFileType (VFT_APP)", 1),
    ("dwFileSubtype (VFT2_UNKNOWN)", 0),
    ("dwFileDateMS (no date)", 0),
    ("dwFileDateLS (no date)", 0),
]

STRINGS = [
    ("Comments", ""),
    ("CompanyName", MAKER),
    ("FileDescription", TITLE),
    ("FileVersion", "1, 0, 0, 1"),
    ("InternalName", "Kelvora"),
    ("LegalCopyright", COPYRIGHT),
    ("LegalTrademarks", ""),
    ("OriginalFilename", "Kelvora.exe"),
    ("PrivateBuild", ""),
    ("ProductName", MAKER + " Kelvora"),
    ("ProductVersion", "1, 0, 0, 1"),
    ("SpecialBuild", ""),
]

TRANSLATIONS = [(0x0409, 1200)]


def read_block(data, offset):
    """One version block (wLength, wValueLength, wType, szKey, Value, Children)
    at offset: returns (key, type, value bytes, children, end offset)."""
    cursor = Cursor(data, offset)
    length, value_length, kind = cursor.take("HHH")
    end = offset + length
    if length < 6 or end > len(data):
        raise ValueError(f"block at byte {offset} has length {length}, the resource has {len(data)} bytes")
    key = cursor.wide_string()
    cursor.align(4)
    # wValueLength counts characters for text values, bytes for binary ones.
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[cursor.offset:min(cursor.offset + value_size, end)]
    cursor.offset += value_size
    cursor.align(4)
    children = []
    while cursor.offset < end:
        child = read_block(data, cursor.offset)
        children.append(child)
        cursor.offset = child[4]
        cursor.align(4)
    return key, kind, value, children, end


def text_of(value):
    """A text value: UTF-16LE up to its terminating NUL, if any."""
    text = value.decode("utf-16-le")
    return text.split("\0", 1)[0]


arch, path, pe = open_exe(sys.argv)
failures = []
data = resource(pe, RT_VERSION, 1, failures, "version block")
if data is not None:
    try:
        key, _, fixed, children, _ = read_block(data, 0)
    except (ValueError, UnicodeDecodeError) as error:
        failures.append(f"version block: expected a well-formed block, got {error}")
        finish(arch, f"version block of {path}", failures)
    expect(failures, "root key", "VS_VERSION_INFO", key)
    expect(failures, "size of VS_FIXEDFILEINFO", 52, len(fixed))
    if len(fixed) == 52:
        values = Cursor(fixed).take("13I")
        for (field, want), got in zip(FIXED, values):
            expect(failures, field, hex(want), hex(got))

    sections = {}
    for child in children:
        sections.setdefault(child[0], []).append(child)
    expect(failures, "sections of the version block", ["StringFileInfo", "VarFileInfo"],
           sorted(child[0] for child in children))

    tables = [table for block in sections.get("StringFileInfo", []) for table in block[3]]
    expect(failures, "string tables", ["040904b0"], [table[0] for table in tables])
    for table in tables[:1]:
        entries = []
        for entry_key, entry_type, value, _, _ in table[3]:
            expect(failures, f"type of {entry_key}", "1 (text)", f"{entry_type} ({'text' if entry_type == 1 else 'binary'})")
            entries.append((entry_key, text_of(value)))
        for index in range(max(len(STRINGS), len(entries))):
            want = STRINGS[index] if index < len(STRINGS) else None
            got = entries[index] if index < len(entries) else None
            expect(failures, f"string entry {index + 1}", want, got)

    variables = [var for block in sections.get("VarFileInfo", []) for var in block[3]]
    expect(failures, "variables of VarFileInfo", ["Translation"], [var[0] for var in variables])
    for var in variables[:1]:
        value = var[2]
        pairs = [Cursor(value, i).take("HH") for i in range(0, len(value) - len(value) % 4, 4)]
        expect(failures, "Translation (language, code page)",
               [(hex(lang), page) for lang, page in TRANSLATIONS], [(hex(lang), page) for lang, page in pairs])
finish(arch, f"version block of {path}", failures)
