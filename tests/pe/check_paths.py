#!/usr/bin/python3
"""No build path inside the file: neither the source folder nor the build
folder appears in it, in 8-bit or UTF-16 text. A path inside would make two
builds of one commit in different folders differ."""
import os
import sys

from kelvora_pe import expect, finish, open_exe

if len(sys.argv) != 4:
    sys.exit(f"usage: {sys.argv[0]} x86|x64 EXE_DIR SOURCE_DIR")
arch, path, pe = open_exe(sys.argv[:3])
source = os.path.realpath(sys.argv[3])
build = os.path.realpath(sys.argv[2])
with open(path, "rb") as exe:
    content = exe.read()
failures = []
for label, folder in (("source folder", source), ("build folder", build)):
    for encoding in ("utf-8", "utf-16-le"):
        where = content.find(folder.encode(encoding))
        expect(failures, f"{label} {folder} as {encoding}", "absent",
               "absent" if where < 0 else f"at byte {where}")
finish(arch, f"build paths in {path}", failures)
