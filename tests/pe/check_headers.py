#!/usr/bin/python3
"""The PE headers: machine, 32/64-bit optional header, GUI subsystem, and no
link timestamp (a build of one commit is byte-for-byte the same every time)."""
import sys

from kelvora_pe import expect, finish, open_exe

IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002
IMAGE_FILE_DLL = 0x2000
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2

# arch: (Machine, optional header Magic, what it means)
EXPECTED = {
    "x86": (0x014C, 0x010B, "PE32, Intel 386"),
    "x64": (0x8664, 0x020B, "PE32+, x86-64 (AMD64)"),
}

arch, path, pe = open_exe(sys.argv)
machine, magic, meaning = EXPECTED[arch]
failures = []
expect(failures, f"Machine ({meaning})", hex(machine), hex(pe.FILE_HEADER.Machine))
expect(failures, f"optional header Magic ({meaning})", hex(magic), hex(pe.OPTIONAL_HEADER.Magic))
expect(failures, "Subsystem (Windows GUI)", IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.OPTIONAL_HEADER.Subsystem)
expect(failures, "Characteristics: executable image", True,
       bool(pe.FILE_HEADER.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE))
expect(failures, "Characteristics: not a DLL", False, bool(pe.FILE_HEADER.Characteristics & IMAGE_FILE_DLL))
expect(failures, "TimeDateStamp (no link time in the file)", 0, pe.FILE_HEADER.TimeDateStamp)
finish(arch, f"headers of {path}", failures)
