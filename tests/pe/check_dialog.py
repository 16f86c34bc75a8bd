#!/usr/bin/python3
"""The dialog template IDD_PROVIDER (type 5, id 101, US English): a classic
DLGTEMPLATE (not DLGTEMPLATEEX) with its styles, size, caption and font, and
its five DLGITEMTEMPLATE controls in order. The expected style words are
composed from the documented Win32 constants, not from what the resource
compiler happens to emit."""
import sys

from kelvora_pe import RT_DIALOG, Cursor, expect, finish, open_exe, resource

# winuser.h
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_VSCROLL = 0x00200000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x0080
DS_SETFONT = 0x0040
DS_CENTER = 0x0800
BS_PUSHBUTTON = 0x0000
BS_DEFPUSHBUTTON = 0x0001
SS_LEFT = 0x0000
CBS_DROPDOWNLIST = 0x0003
CBS_SORT = 0x0100
# Predefined class atoms of a dialog item template.
BUTTON, STATIC, COMBOBOX = 0x0080, 0x0082, 0x0085
CLASS_NAMES = {BUTTON: "button", STATIC: "static", COMBOBOX: "combobox"}

IDD_PROVIDER = 101
INTRO = ("Some IDEs cannot change between source control providers at runtime. "
         "From here, you can select what source control provider will be used for those IDEs.")

DIALOG = [
    ("style", hex(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT)),
    ("extended style", hex(0)),
    ("number of controls", 5),
    ("x, y, width, height", (0, 0, 235, 90)),
    ("menu", ""),
    ("window class", ""),
    ("caption", "Change Source Control Provider"),
    ("font point size", 8),
    ("font typeface", "MS Sans Serif"),
]

CHILD = WS_CHILD | WS_VISIBLE
# label, class, id, text, style, (x, y, width, height)
CONTROLS = [
    ("OK", BUTTON, 1, "OK", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, (123, 69, 50, 14)),
    ("Cancel", BUTTON, 2, "Cancel", CHILD | BS_PUSHBUTTON | WS_TABSTOP, (178, 69, 50, 14)),
    ("intro text", STATIC, -1, INTRO, CHILD | SS_LEFT | WS_GROUP, (7, 7, 215, 26)),
    ("provider label", STATIC, -1, "&Provider:", CHILD | SS_LEFT | WS_GROUP, (7, 38, 29, 8)),
    ("provider list", COMBOBOX, 1001, "", CHILD | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, (7, 51, 221, 30)),
]


def class_name(item_class):
    """A predefined class given as an atom or by name, in one spelling."""
    if isinstance(item_class, int):
        return CLASS_NAMES.get(item_class, f"atom {item_class:#06x}")
    return item_class.lower()


def parse(data):
    """The template's header fields and its items, as compared below."""
    cursor = Cursor(data)
    if data[2:4] == b"\xff\xff":
        raise ValueError("an extended template (DLGTEMPLATEEX), expected a classic DLGTEMPLATE")
    style, ex_style, count = cursor.take("IIH")
    box = cursor.take("hhhh")
    header = {
        "style": hex(style), "extended style": hex(ex_style), "number of controls": count,
        "x, y, width, height": box, "menu": cursor.sz_or_ord(), "window class": cursor.sz_or_ord(),
        "caption": cursor.wide_string(),
    }
    if style & DS_SETFONT:
        header["font point size"] = cursor.take("H")
        header["font typeface"] = cursor.wide_string()
    items = []
    for _ in range(count):
        cursor.align(4)
        item_style, item_ex_style = cursor.take("II")
        item_box = cursor.take("hhhh")
        # A WORD: IDC_STATIC (-1) is stored as 0xFFFF.
        item_id = cursor.take("h")
        item_class = cursor.sz_or_ord()
        title = cursor.sz_or_ord()
        extra = cursor.take("H")
        cursor.offset += extra
        items.append({"class": class_name(item_class), "id": item_id, "text": title,
                      "style": hex(item_style), "extended style": hex(item_ex_style),
                      "x, y, width, height": item_box, "creation data bytes": extra})
    return header, items


arch, path, pe = open_exe(sys.argv)
failures = []
data = resource(pe, RT_DIALOG, IDD_PROVIDER, failures, "IDD_PROVIDER")
if data is not None:
    try:
        header, items = parse(data)
    except ValueError as error:
        failures.append(f"IDD_PROVIDER: {error}")
        finish(arch, f"dialog template IDD_PROVIDER of {path}", failures)
    for field, want in DIALOG:
        expect(failures, f"dialog {field}", want, header.get(field))
    for index in range(max(len(CONTROLS), len(items))):
        got = items[index] if index < len(items) else {}
        if index >= len(CONTROLS):
            failures.append(f"control {index + 1}: expected none, got {got!r}")
            continue
        label, item_class, item_id, text, style, box = CONTROLS[index]
        want = {"class": class_name(item_class), "id": item_id, "text": text, "style": hex(style),
                "extended style": hex(0), "x, y, width, height": box, "creation data bytes": 0}
        for field, value in want.items():
            expect(failures, f"control {index + 1} ({label}) {field}", value, got.get(field))
        if item_class == COMBOBOX and got:
            expect(failures, f"control {index + 1} ({label}) CBS_SORT (list keeps catalogue order)",
                   False, bool(int(got["style"], 16) & CBS_SORT))
finish(arch, f"dialog template IDD_PROVIDER of {path}", failures)
