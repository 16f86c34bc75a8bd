#!/usr/bin/python3
"""The Wine half of scripts/run.sh: runs the 64-bit Kelvora.exe in a demo
prefix that is kept between runs, with the given arguments as its exact
command-line tail, then prints the exit code, the diagnostics and the
provider now active.

The prefix is made and seeded with a few example providers on the first
run. The dialog opens on $DISPLAY when that display answers; otherwise on a
private Xvfb, where a screenshot is saved and the dialog is then closed
with Esc (Cancel: nothing more is written).

    demo.py --exe-dir build/x64 --prefix build/demo-prefix --work build/demo [ARG...]
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from winebox import SCC_ROOT, WineBox, debug_messages, install_signal_exit  # noqa: E402

LAUNCHER = "C:\\Kelvora\\KelvoraLaunch.exe"
KELVORA = "C:\\Kelvora\\Kelvora.exe"
PROVIDERS_KEY = SCC_ROOT + "\\InstalledSCCProviders"
EXAMPLE_PROVIDERS = """REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider]
"ProviderRegKey"="Software\\\\Example\\\\GitProvider"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider\\InstalledSCCProviders]
"Git Source Control Provider"="Software\\\\Example\\\\GitProvider"
"Perforce SCM"="Software\\\\Example\\\\PerforceProvider"
"Subversion"="Software\\\\Example\\\\SubversionProvider"
"Team Foundation Server"="Software\\\\Example\\\\TfsProvider"
"""


def usable_display():
    display = os.environ.get("DISPLAY")
    if not display or not shutil.which("xdpyinfo"):
        return None
    probe = subprocess.run(["xdpyinfo"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    return display if probe.returncode == 0 else None


def provider_reg_key(box):
    proc = box.wine(["reg", "query", SCC_ROOT, "/v", "ProviderRegKey"], check=False)
    if proc.returncode != 0:
        return "(absent: no provider is active)"
    for line in proc.stdout.decode("cp437").splitlines():
        if line.startswith("    ProviderRegKey    "):
            kind, _, data = line[len("    ProviderRegKey    "):].partition("    ")
            return f'"{data}"' if kind == "REG_SZ" else f"{kind} {data}"
    return "(unreadable)"


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe-dir", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("args", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    install_signal_exit()

    if options.args[:1] == ["--"]:
        del options.args[0]
    tail = " ".join(options.args)
    command_line = KELVORA + (" " + tail if options.args else "")
    display = usable_display()
    work = os.path.abspath(options.work)
    os.makedirs(work, exist_ok=True)
    box = WineBox(options.prefix, work, keep_prefix=True, display=display)
    try:
        if not os.path.exists(os.path.join(box.prefix, "system.reg")):
            print(f"run: making the demo prefix {box.prefix} (once, about half a minute)")
        box.start()
        if box.wine(["reg", "query", PROVIDERS_KEY], check=False).returncode != 0:
            print("run: seeding the example providers")
            box.reg_import(EXAMPLE_PROVIDERS, "demo-providers.reg")
        folder = box.drive_c("Kelvora")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(options.exe_dir, "Kelvora.exe"), folder)
        shutil.copy(os.path.join(options.exe_dir, "e2e", "KelvoraLaunch.exe"), folder)

        print(f"run: {command_line}" + (f"   (on {display})" if display else
                                        f"   (on a private Xvfb {box.display})"), flush=True)
        stderr_path = os.path.join(work, "kelvora.stderr")
        process = box.launch(LAUNCHER, command_line, stderr_path)
        if display is None:
            wid = box.wait_for_dialog(process, 30)
            if wid is not None:
                box.xdotool("windowfocus", "--sync", wid)
                time.sleep(0.5)  # let the controls paint
                shot = os.path.join(work, "dialog.png")
                box.screenshot(wid, shot)
                print(f"run: no usable display: screenshot of the dialog saved as {shot};"
                      " closing it with Esc (Cancel)")
                box.press(wid, ["Escape"])
        code = process.wait(timeout=None if display else 30)
        print(f"run: exit code {code}")
        with open(stderr_path, "rb") as f:
            for message in debug_messages(f.read()):
                print(f"run: diagnostic {message!r}")
        print(f"run: ProviderRegKey is now {provider_reg_key(box)}")
        return 0
    finally:
        box.close()


if __name__ == "__main__":
    sys.exit(main())
