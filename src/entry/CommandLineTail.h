#pragma once

// The part of a full command line that WinMain receives: everything after the
// program's name and the blanks that follow it. A name that starts with a
// double quote runs to the next double quote; otherwise it ends at the first
// byte from 1 to 32. Bytes are compared as unsigned, so text in the ANSI code
// page (0x80 to 0xFF) is never taken for a blank. Returns a pointer into
// `commandLine`, or to an empty string when it is null.
const char* CommandLineTail(const char* commandLine);
