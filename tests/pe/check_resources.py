#!/usr/bin/python3
"""Every resource in the file, all in US English: the dialog template, the
version block and the one manifest, and nothing that the toolchain added."""
import sys

from kelvora_pe import LANG_EN_US, RT_DIALOG, RT_MANIFEST, RT_VERSION, expect, finish, open_exe, resources

# type, id, language
EXPECTED = [
    (RT_DIALOG, 101, LANG_EN_US),
    (RT_VERSION, 1, LANG_EN_US),
    (RT_MANIFEST, 1, LANG_EN_US),
]

arch, path, pe = open_exe(sys.argv)
failures = []
found = [(kind, number, lang) for kind, number, lang, _ in resources(pe)]
expect(failures, "resources (type, id, language)", sorted(EXPECTED, key=repr), sorted(found, key=repr))
finish(arch, f"resources of {path}", failures)
