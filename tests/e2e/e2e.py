#!/usr/bin/python3
"""Runs the 64-bit Kelvora.exe end to end under Wine and Xvfb, one scenario
per row of scenarios.py, and reports each failure with its scenario, what
was expected and what was seen.

One fresh prefix, one warm wineserver and one private Xvfb serve the whole
run; all three are gone when this exits, whichever way it exits.

    e2e.py --exe-dir build/x64 --work build/host/tests/e2e [--only TEXT] [--display N]
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from scenarios import ABSENT, SCENARIOS, UNCHANGED  # noqa: E402
from winebox import SCC_ROOT, WineBox, WineError, debug_messages, install_signal_exit  # noqa: E402

LAUNCHER = "C:\\kel\\KelvoraLaunch.exe"
LOCATOR = "C:\\kel\\KelvoraLocate.exe"
DIALOG_TIMEOUT = 15
EXIT_TIMEOUT = 15
# A run normally takes about two minutes. Past this, the remaining scenarios
# are reported as not run, so that the driver (which cleans up) ends well
# before CTest's time-out (which would not).
BUDGET = 600
PROVIDERS_KEY = SCC_ROOT + "\\InstalledSCCProviders"


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_value_line(name, value):
    kind, data = value
    left = "@" if name == "" else reg_string(name)
    if kind == "REG_SZ":
        right = reg_string(data)
    elif kind == "REG_EXPAND_SZ":
        # REGEDIT4 files carry hex(2) data in the ANSI code page.
        right = "hex(2):" + ",".join(f"{b:02x}" for b in data.encode("cp1252") + b"\0")
    elif kind == "REG_DWORD":
        right = f"dword:{data:08x}"
    elif kind == "REG_BINARY":
        right = "hex:" + ",".join(f"{b:02x}" for b in data)
    else:
        raise ValueError(kind)
    return f"{left}={right}"


def seed_text(before):
    lines = ["REGEDIT4", "", f"[-{SCC_ROOT}]", ""]
    if before is not None:
        lines.append(f"[{SCC_ROOT}]")
        if before.current != ABSENT:
            lines.append(reg_value_line("ProviderRegKey", before.current))
        lines.append("")
        if before.providers is not None:
            lines.append(f"[{PROVIDERS_KEY}]")
            lines += [reg_value_line(name, value) for name, value in before.providers]
            lines.append("")
    return "\n".join(lines) + "\n"


def split_provider_reg_key(tree):
    """From `reg query ROOT /s` lines: ProviderRegKey as (type, data text) or
    ABSENT, and the remaining lines (everything else under the key)."""
    if tree is None:
        return ABSENT, None
    found = ABSENT
    rest = []
    in_root = False
    prefix = "    ProviderRegKey    "
    for line in tree:
        if line.startswith("HKEY_"):
            in_root = line == SCC_ROOT
        if in_root and line.startswith(prefix):
            kind, _, data = line[len(prefix):].partition("    ")
            found = (kind, data)
        # reg prints a key's name only when the key has values of its own.
        elif line and line != SCC_ROOT:
            rest.append(line)
    return found, rest


def show_value(value):
    if value == ABSENT:
        return "absent"
    kind, data = value
    return f"{kind} {data!r}" + (f" ({len(data)} chars)" if len(str(data)) > 40 else "")


def expected_after(scenario, before_value):
    if scenario.after == UNCHANGED:
        return before_value
    kind, data = scenario.after
    return (kind, data)


class Runner:
    def __init__(self, box, artifacts):
        self.box = box
        self.artifacts = artifacts

    def install_programs(self, exe_dir):
        e2e_dir = os.path.join(exe_dir, "e2e")
        kel = self.box.drive_c("kel")
        joerg = self.box.drive_c("kel", "J\xf6rg")  # UTF-8 on the Unix side
        os.makedirs(joerg, exist_ok=True)
        shutil.copy(os.path.join(exe_dir, "Kelvora.exe"), kel)
        shutil.copy(os.path.join(exe_dir, "Kelvora.exe"), joerg)
        for name in ("KelvoraLaunch.exe", "KelvoraLocate.exe", "KelvoraNoTemplate.exe"):
            shutil.copy(os.path.join(e2e_dir, name), kel)

    def run(self, index, scenario):
        """Runs one scenario; returns a list of problems (empty: passed)."""
        box = self.box
        problems = []
        box.reg_import(seed_text(scenario.before))
        tree_before = box.reg_query_tree()
        value_before, rest_before = split_provider_reg_key(tree_before)

        stderr_path = os.path.join(self.artifacts, f"scenario-{index:02d}.stderr")
        process = box.launch(LAUNCHER, scenario.command_line(), stderr_path,
                             display=scenario.display)
        timed_out = False
        try:
            if scenario.user:
                wid = box.wait_for_dialog(process, DIALOG_TIMEOUT)
                if wid is None:
                    code = process.poll()
                    problems.append("dialog: expected it to open, but "
                                    + (f"the program exited with {code}" if code is not None
                                       else f"no window after {DIALOG_TIMEOUT} s"))
                else:
                    if scenario.screenshot:
                        time.sleep(0.3)  # let the controls paint
                        box.screenshot(wid, os.path.join(self.artifacts, "dialog.png"))
                    for kind, what in scenario.user:
                        if kind == "keys":
                            box.press(wid, what)
                        else:
                            box.click(LOCATOR, what)
            process.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            pass
        except WineError as error:
            problems.append(f"driving the dialog failed: {error}")
        if process.poll() is None:
            timed_out = True
            dialog_open = box.find_dialog() is not None
            # The process (and a dialog that would take the next scenario's
            # keys) must go: end everything in the prefix, start afresh.
            box.restart_server()
            process.wait(timeout=30)
            problems.append(f"exit: expected {scenario.exit}, but the program was still running "
                            f"after {EXIT_TIMEOUT} s"
                            + (" with the dialog open" if dialog_open else ""))
        elif not scenario.display:
            # A process without DISPLAY may have started Wine's desktop
            # process without one; later windows would fail.
            box.restart_server()

        exit_code = process.returncode
        if not timed_out and exit_code != scenario.exit:
            problems.append(f"exit code: expected {scenario.exit}, got {exit_code}")

        with open(stderr_path, "rb") as f:
            messages = debug_messages(f.read())
        if messages != scenario.diagnostics:
            problems.append(f"diagnostics: expected {scenario.diagnostics!r}, got {messages!r}")

        value_after, rest_after = split_provider_reg_key(box.reg_query_tree())
        want = expected_after(scenario, value_before)
        if value_after != want:
            problems.append(f"ProviderRegKey: expected {show_value(want)}, "
                            f"got {show_value(value_after)}")
        if rest_after != rest_before:
            problems.append("registry: the rest of the provider key changed:\n"
                            f"      before {rest_before!r}\n      after  {rest_after!r}")
        return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe-dir", required=True,
                        help="folder of the 64-bit Kelvora.exe (with e2e/ below it)")
    parser.add_argument("--work", required=True, help="folder for the prefix and the artifacts")
    parser.add_argument("--only", help="run only the scenarios whose name contains this")
    parser.add_argument("--display", type=int, default=91,
                        help="first X display number to try for Xvfb (default 91)")
    args = parser.parse_args()
    install_signal_exit()

    exe_dir = os.path.abspath(args.exe_dir)
    for path in ("Kelvora.exe", "e2e/KelvoraLaunch.exe", "e2e/KelvoraLocate.exe",
                 "e2e/KelvoraNoTemplate.exe"):
        if not os.path.isfile(os.path.join(exe_dir, path)):
            print(f"e2e: {os.path.join(exe_dir, path)} is missing; build the x64 tree first")
            return 1
    artifacts = os.path.abspath(args.work)
    os.makedirs(artifacts, exist_ok=True)
    prefix = os.path.join(artifacts, "prefix")
    if os.path.exists(prefix):
        shutil.rmtree(prefix)  # left behind by a run that was killed outright
    for stale in os.listdir(artifacts):
        if stale.startswith("scenario-") or stale == "dialog.png":
            os.remove(os.path.join(artifacts, stale))

    scenarios = [(i, s) for i, s in enumerate(SCENARIOS, 1)
                 if not args.only or args.only in s.name]
    started = time.monotonic()
    box = WineBox(prefix, artifacts, first_display=args.display)
    failures = []
    try:
        box.start()
        ready = time.monotonic()
        print(f"e2e: prefix and wineserver ready in {ready - started:.1f} s, "
              f"display {box.display}", flush=True)
        runner = Runner(box, artifacts)
        runner.install_programs(exe_dir)
        for index, scenario in scenarios:
            if time.monotonic() - started > BUDGET:
                print(f"e2e: FAIL {index:2d} {scenario.name}: not run, the run is over "
                      f"its {BUDGET} s budget")
                failures.append(scenario.name)
                continue
            t0 = time.monotonic()
            try:
                problems = runner.run(index, scenario)
            except (WineError, subprocess.SubprocessError, OSError) as error:
                problems = [f"the test harness failed: {error}"]
                box.restart_server()
            took = time.monotonic() - t0
            status = "ok  " if not problems else "FAIL"
            print(f"e2e: {status} {index:2d} {scenario.name} ({took:.1f} s)", flush=True)
            if problems:
                print(f"      command line: {scenario.command_line()!r}")
                print(f"      Wine's output: {os.path.join(artifacts, f'scenario-{index:02d}.stderr')}")
                for problem in problems:
                    print(f"      {problem}")
                failures.append(scenario.name)
        finished = time.monotonic()
        print(f"e2e: {len(scenarios) - len(failures)} of {len(scenarios)} scenarios passed; "
              f"setup {ready - started:.1f} s, scenarios {finished - ready:.1f} s")
        if os.path.exists(os.path.join(artifacts, "dialog.png")):
            print(f"e2e: screenshot of the dialog: {os.path.join(artifacts, 'dialog.png')}")
    finally:
        box.close()
        leftovers = box.leftover_processes()
        if leftovers:
            print(f"e2e: FAIL processes left in the prefix: {leftovers}")
            failures.append("leftover processes")
        print(f"e2e: total {time.monotonic() - started:.1f} s", flush=True)
    for name in failures:
        print(f"e2e: failed: {name}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
