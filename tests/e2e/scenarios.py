"""The end-to-end scenarios: one row each, run in order by e2e.py.

Columns: name; registry before; command line (a tail after the program's
name, or a whole command line); what the user does in the dialog (nothing
means no dialog may open); expected exit code; ProviderRegKey after; the
exact debug messages, in order. Text is ANSI (code page 1252), so "\\xe9" is
the single byte 0xE9. Every other value under the provider key must be left
as seeded, which the runner checks on every row.

What the dialog preselected is read back from what OK writes: the rows pick
providers whose keys differ, and move the selection with the keyboard so
that a wrong starting point writes a different key.
"""

from dataclasses import dataclass, field
from typing import List, Optional, Tuple

KELVORA = "C:\\kel\\Kelvora.exe"
NO_TEMPLATE = "C:\\kel\\KelvoraNoTemplate.exe"
# A folder name with a byte above 0x7F, where mingw's own start-up would
# take the 0xF6 for a blank and cut the program's name there.
KELVORA_JOERG = "C:\\kel\\J\xf6rg\\Kelvora.exe"


def sz(text):
    return ("REG_SZ", text)


def expand_sz(text):
    return ("REG_EXPAND_SZ", text)


def dword(number):
    return ("REG_DWORD", number)


def binary(data):
    return ("REG_BINARY", data)


ABSENT = ("absent", None)       # ProviderRegKey does not exist
UNCHANGED = ("unchanged", None)  # ProviderRegKey as it was seeded


@dataclass
class Registry:
    """HKLM\\SOFTWARE\\SourceCodeControlProvider as seeded; the whole key is
    deleted first. providers=None leaves InstalledSCCProviders out; a
    provider named "" is the key's unnamed default value."""
    current: Tuple = ABSENT
    providers: Optional[List[Tuple[str, Tuple]]] = None


ROOT_MISSING = None

THREE = [("beta", sz("K:beta")), ("Alpha", sz("K:Alpha")), ("Gamma", sz("K:Gamma"))]
TFS = ("Team Foundation Server", sz("K:TFS"))


def reg(current=ABSENT, providers=THREE):
    return Registry(current, providers)


def keys(*names):
    return ("keys", list(names))


def click(target):
    return ("click", target)


# Focus starts on OK; two tabs reach the drop-down list (OK, Cancel, list).
TO_LIST = ("Tab", "Tab")
CANT_LOAD = "Kelvora: Couldn't get providers"
SKIPPING = "Kelvora: Skipping, value of provider is not a string\n"


def dialog_failed(code):
    return f"Kelvora: Couldn't make dialog window ({code:x})\n"


@dataclass
class Scenario:
    name: str
    before: Optional[Registry]
    tail: Optional[str]
    user: List[Tuple] = field(default_factory=list)
    exit: int = 0
    after: Tuple = UNCHANGED
    diagnostics: List[str] = field(default_factory=list)
    program: str = KELVORA
    # A whole command line instead of program + " " + tail.
    command: Optional[str] = None
    display: bool = True
    screenshot: bool = False

    def command_line(self):
        if self.command is not None:
            return self.command
        return self.program if self.tail is None else f"{self.program} {self.tail}"


S = Scenario
N254 = "N" * 254
SCENARIOS = [
    # --- the command line ---------------------------------------------------
    S("no tail: dialog preselects the active provider, Enter writes it back",
      reg(sz("K:Gamma"), THREE + [TFS]), None, [keys("Return")], 0, sz("K:Gamma"),
      screenshot=True),
    S("/d deletes ProviderRegKey, no dialog",
      reg(sz("K:Alpha")), "/d", [], 0, ABSENT),
    S("/d with no ProviderRegKey deletes nothing: exit 1",
      reg(ABSENT), "/d", [], 1, ABSENT),
    S("/D is a display name: switched to an empty key, Esc keeps it",
      reg(sz("K:Alpha")), "/D", [keys("Escape")], 0, sz("")),
    S("/D joins the list, before Alpha, with an empty key",
      reg(sz("K:Alpha")), "/D", [keys(*TO_LIST, "Home", "Return")], 0, sz("")),
    S("'/d ' with a trailing blank is a display name",
      reg(sz("K:Alpha")), "/d ", [keys("Escape")], 0, sz("")),
    S("quoted name: the quotes belong to the name, no provider matches",
      reg(sz("K:Alpha"), THREE + [TFS]), '"Team Foundation Server"', [keys("Escape")], 0, sz("")),
    S("name with blanks, unquoted, selects that provider",
      reg(sz("K:Alpha"), THREE + [TFS]), "Team Foundation Server", [keys("Escape")], 0, sz("K:TFS")),
    S("name differing only in case matches nothing",
      reg(sz("K:Alpha")), "alpha", [keys("Escape")], 0, sz("")),
    S("valid name then Cancel keeps the command line's choice",
      reg(sz("K:Alpha")), "Gamma", [click("cancel")], 0, sz("K:Gamma")),
    S("valid name then OK: the dialog preselected the key read at start-up",
      reg(sz("K:Alpha")), "Gamma", [keys("Return")], 0, sz("K:Alpha")),
    S("/d with InstalledSCCProviders missing: exit 3, nothing deleted",
      reg(sz("K:Alpha"), None), "/d", [], 3, UNCHANGED,
      ["Kelvora: No installed provider key\n", CANT_LOAD]),
    S("tab and blanks between the program's name and /d are skipped",
      reg(sz("K:Alpha")), None, [], 0, ABSENT, command=KELVORA + "\t  /d"),
    # --- bytes above 0x7F on the command line --------------------------------
    S("unquoted path through J\xf6rg with /d clears",
      reg(sz("K:Alpha")), None, [], 0, ABSENT, command=KELVORA_JOERG + " /d"),
    S("quoted path glued to /d clears",
      reg(sz("K:Alpha")), None, [], 0, ABSENT, command=f'"{KELVORA}"/d'),
    S("display name starting with \xe9 is selected from the command line",
      reg(sz("K:Alpha"), THREE + [("\xe9clair", sz("K:\xe9clair"))]), "\xe9clair",
      [keys("Escape")], 0, sz("K:\xe9clair")),
    S("quoted path through J\xf6rg, then a name starting with \xe9",
      reg(sz("K:Alpha"), THREE + [("\xe9clair", sz("K:\xe9clair"))]), None,
      [keys("Escape")], 0, sz("K:\xe9clair"), command=f'"{KELVORA_JOERG}" \xe9clair'),
    # --- loading the configuration -------------------------------------------
    S("root key missing: exit 3",
      ROOT_MISSING, None, [], 3, ABSENT,
      ["Kelvora: SCC key doesn't exist\n", CANT_LOAD]),
    S("root key missing with /d: exit 3",
      ROOT_MISSING, "/d", [], 3, ABSENT,
      ["Kelvora: SCC key doesn't exist\n", CANT_LOAD]),
    S("ProviderRegKey as REG_EXPAND_SZ: exit 3",
      reg(expand_sz("K:Alpha")), None, [], 3, UNCHANGED,
      ["Kelvora: Value is not a string\n", CANT_LOAD]),
    S("ProviderRegKey as REG_DWORD: exit 3",
      reg(dword(1)), "/d", [], 3, UNCHANGED,
      ["Kelvora: Value is not a string\n", CANT_LOAD]),
    S("ProviderRegKey as REG_BINARY: exit 3",
      reg(binary(b"K:Alpha\0")), None, [], 3, UNCHANGED,
      ["Kelvora: Value is not a string\n", CANT_LOAD]),
    S("InstalledSCCProviders missing: exit 3",
      reg(sz("K:Alpha"), None), None, [], 3, UNCHANGED,
      ["Kelvora: No installed provider key\n", CANT_LOAD]),
    S("ProviderRegKey over 255 bytes reads as empty: the empty-keyed provider is preselected",
      reg(sz("K:" + "x" * 298), [("Blank", sz("")), ("Zed", sz("K:Zed"))]), None,
      [keys(*TO_LIST, "Down", "Return")], 0, sz("K:Zed")),
    S("ProviderRegKey of 254 bytes is read whole and preselects its provider",
      reg(sz("K:" + "x" * 252), [("Long", sz("K:" + "x" * 252)), ("Zed", sz("K:Zed"))]), None,
      [keys("Return")], 0, sz("K:" + "x" * 252)),
    S("non-string providers are skipped, each with one message; the strings are listed",
      reg(sz("K:Gamma"), [("Alpha", sz("K:Alpha")), ("Count", dword(7)),
                          ("Blob", binary(b"\x01\x02")), ("Path", expand_sz("K:Path")),
                          ("Gamma", sz("K:Gamma"))]), None,
      [keys(*TO_LIST, "Up", "Return")], 0, sz("K:Alpha"), [SKIPPING] * 3),
    S("names and data at the buffers' limits: the fitting ones listed, the others skipped",
      reg(sz("D" * 254), [(N254, sz("K:long-name")), ("N" * 255, sz("K:too-long-name")),
                          ("Data", sz("D" * 254)), ("Data too long", sz("D" * 255))]), None,
      [keys(*TO_LIST, "Down", "Return")], 0, sz("K:long-name"), [SKIPPING] * 2),
    S("a 254-character display name is preselected and written back whole",
      reg(sz("K:long-name"), [("Alpha", sz("K:Alpha")), (N254, sz("K:long-name"))]), None,
      [keys("Return")], 0, sz("K:long-name")),
    S("the unnamed default value is a provider whose name is empty, listed first",
      reg(sz("K:default"), [("", sz("K:default")), ("Alpha", sz("K:Alpha"))]), None,
      [keys(*TO_LIST, "Down", "Return")], 0, sz("K:Alpha")),
    S("nothing preselected, OK: the empty name finds the default value's provider",
      reg(sz("K:gone"), [("", sz("K:default")), ("Alpha", sz("K:Alpha"))]), None,
      [keys("Return")], 0, sz("K:default")),
    S("a non-string default value is skipped",
      reg(sz("K:Alpha"), [("", dword(3)), ("Alpha", sz("K:Alpha"))]), None,
      [keys("Return")], 0, sz("K:Alpha"), [SKIPPING]),
    # --- the dialog -------------------------------------------------------------
    S("empty InstalledSCCProviders: empty list, OK writes an empty key",
      reg(sz("K:Alpha"), []), None, [keys("Return")], 0, sz("")),
    S("no provider has the active key: nothing preselected, OK writes an empty key",
      reg(sz("K:gone")), None, [keys("Return")], 0, sz("")),
    S("ProviderRegKey absent: nothing preselected, OK writes an empty key",
      reg(ABSENT), None, [keys("Return")], 0, sz("")),
    S("two providers share the active key: the later one (Gamma) is preselected",
      reg(sz("K:shared"), [("Alpha", sz("K:shared")), ("Gamma", sz("K:shared")),
                           ("beta", sz("K:beta"))]), None,
      [keys(*TO_LIST, "Down", "Return")], 0, sz("K:beta")),
    S("byte order Alpha, Gamma, beta: Home then Down is Gamma",
      reg(ABSENT), None, [keys(*TO_LIST, "Home", "Down", "Return")], 0, sz("K:Gamma")),
    S("byte order Alpha, Gamma, beta: End is beta",
      reg(sz("K:Alpha")), None, [keys(*TO_LIST, "End", "Return")], 0, sz("K:beta")),
    S("Up from beta is Gamma",
      reg(sz("K:beta")), None, [keys(*TO_LIST, "Up", "Return")], 0, sz("K:Gamma")),
    S("Alt+P reaches the list; Down then a click on OK",
      reg(sz("K:Alpha")), None, [keys("alt+p", "Down"), click("ok")], 0, sz("K:Gamma")),
    S("Esc writes nothing",
      reg(sz("K:gone")), None, [keys("Escape")], 0, UNCHANGED),
    S("Esc with ProviderRegKey absent leaves it absent",
      reg(ABSENT), None, [keys("Escape")], 0, ABSENT),
    S("Cancel after changing the selection writes nothing",
      reg(sz("K:gone")), None, [keys(*TO_LIST, "End"), click("cancel")], 0, UNCHANGED),
    S("the close box writes nothing",
      reg(sz("K:gone")), None, [click("close")], 0, UNCHANGED),
    S("Alt+F4 with the focus on OK writes nothing",
      reg(sz("K:gone")), None, [keys("alt+F4")], 0, UNCHANGED),
    # --- the dialog cannot be made ---------------------------------------------
    S("no dialog template: exit 2, one diagnostic; the command line's switch stays",
      reg(sz("K:Alpha")), "Gamma", [], 2, sz("K:Gamma"), [dialog_failed(0x714)],
      program=NO_TEMPLATE),
    S("no dialog template, no tail: exit 2, nothing written",
      reg(sz("K:Alpha")), None, [], 2, UNCHANGED, [dialog_failed(0x714)],
      program=NO_TEMPLATE),
    S("no display: exit 2 with ERROR_INVALID_WINDOW_HANDLE",
      reg(sz("K:Alpha")), None, [], 2, UNCHANGED, [dialog_failed(1400)], display=False),
]
