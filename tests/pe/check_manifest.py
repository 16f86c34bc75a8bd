#!/usr/bin/python3
"""The application manifest (type 24, id 1, US English): the only manifest in
the file, the XML declaration byte for byte, and every element in document
order with its namespace, its attributes in order and its text."""
import sys
import xml.parsers.expat

from kelvora_pe import LANG_EN_US, RT_MANIFEST, TITLE, expect, finish, open_exe, resource, resources

DECLARATION = b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
# Published key token of Microsoft.Windows.Common-Controls.
COMMON_CONTROLS_TOKEN = "6595b64144ccf1df"

# depth, namespace, element, attributes in order, text (None: only blanks)
ELEMENTS = [
    (0, ASM_V1, "assembly", [("manifestVersion", "1.0")], None),
    (1, ASM_V1, "assemblyIdentity",
     [("version", "1.0.0.0"), ("processorArchitecture", "*"), ("name", "Kelvora"), ("type", "win32")], None),
    (1, ASM_V1, "description", [], TITLE),
    (1, ASM_V3, "application", [], None),
    (2, ASM_V3, "windowsSettings", [], None),
    (3, SETTINGS_2005, "dpiAware", [], "true"),
    (3, SETTINGS_2016, "dpiAwareness", [], "PerMonitorV2"),
    (1, ASM_V1, "dependency", [], None),
    (2, ASM_V1, "dependentAssembly", [], None),
    (3, ASM_V1, "assemblyIdentity",
     [("type", "win32"), ("name", "Microsoft.Windows.Common-Controls"), ("version", "6.0.0.0"),
      ("processorArchitecture", "*"), ("publicKeyToken", COMMON_CONTROLS_TOKEN), ("language", "*")], None),
    (1, ASM_V3, "trustInfo", [], None),
    (2, ASM_V3, "security", [], None),
    (3, ASM_V3, "requestedPrivileges", [], None),
    (4, ASM_V3, "requestedExecutionLevel", [("level", "requireAdministrator"), ("uiAccess", "false")], None),
]


def parse(data):
    """Every element as (depth, namespace, name, [(attribute, value)], text or None)."""
    found, open_elements = [], []
    parser = xml.parsers.expat.ParserCreate(namespace_separator="|")
    parser.ordered_attributes = True

    def start(tag, attributes):
        namespace, _, name = tag.rpartition("|")
        pairs = list(zip(attributes[0::2], attributes[1::2]))
        found.append([len(open_elements), namespace, name, pairs, ""])
        open_elements.append(found[-1])

    def end(tag):
        element = open_elements.pop()
        if not element[4].strip():
            element[4] = None

    def text(chars):
        open_elements[-1][4] += chars

    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = text
    parser.Parse(data, True)
    return [tuple(element) for element in found]


arch, path, pe = open_exe(sys.argv)
failures = []
manifests = [(number, lang) for kind, number, lang, _ in resources(pe) if kind == RT_MANIFEST]
# Nothing the toolchain adds may sit beside the program's own manifest.
expect(failures, "every manifest in the file (id, language)", [(1, LANG_EN_US)], manifests)
data = resource(pe, RT_MANIFEST, 1, failures, "manifest")
if data is not None:
    first_line = data.split(b"\n", 1)[0].rstrip(b"\r")
    expect(failures, "XML declaration, byte for byte, at the very start", DECLARATION, first_line)
    try:
        data.decode("utf-8")
        elements = parse(data)
    except (UnicodeDecodeError, xml.parsers.expat.ExpatError) as error:
        failures.append(f"manifest: expected well-formed UTF-8 XML, got {error}")
        elements = []
    if elements:
        for index in range(max(len(ELEMENTS), len(elements))):
            want = ELEMENTS[index] if index < len(ELEMENTS) else None
            got = elements[index] if index < len(elements) else None
            label = f"element {index + 1} ({(want or got)[2]})"
            expect(failures, label, want, got)
finish(arch, f"manifest of {path}", failures)
