#!/usr/bin/python3
"""Kelvora's benchmarks: whole processes under Wine, instructions on the host
stand-in, and the size of both exes. scripts/bench.sh builds everything and
starts the display and the Wine server, then runs this; it prints the
tables and writes them to bench/RESULTS.md. Figures only: nothing here passes
or fails on time.

Every timing is the wall-clock time of one whole process, from spawning
`wine64 PROGRAM` until the kernel reports it reaped (or, for the dialog, until
its window is mapped). Peak memory is the process's peak resident set, as
wait4() reports it (ru_maxrss): the Linux process that hosts the Windows
program, Wine's loader and DLLs included; the Wine server and the desktop
process are shared and not counted.
"""
import argparse
import datetime
import math
import os
import platform
import random
import re
import statistics
import subprocess
import sys
import time

ROOT_KEY = r"HKLM\SOFTWARE\SourceCodeControlProvider"
PROVIDERS_KEY = ROOT_KEY + r"\InstalledSCCProviders"
DIALOG_TITLE = "Change Source Control Provider"

GOAL_FLOOR = 1.15
GOAL_REG = 0.6
GOAL_DIALOG = 3.0


# --- Processes -------------------------------------------------------------

class Wine:
    def __init__(self, wine, prefix, display):
        self.wine = wine
        self.env = dict(os.environ, WINEPREFIX=prefix, DISPLAY=display, WINEDEBUG="-all")

    def run(self, *args, env=None):
        """Runs wine64 ARGS to completion, untimed; returns the exit code."""
        return subprocess.run([self.wine, *args], env=env or self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, check=False).returncode

    def timed(self, *args):
        """(seconds, peak resident KB, exit code) of one whole wine64 ARGS."""
        start = time.perf_counter()
        pid = os.posix_spawn(self.wine, [self.wine, *args], self.env,
                             file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                                           (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)])
        _, status, usage = os.wait4(pid, 0)
        return time.perf_counter() - start, usage.ru_maxrss, os.waitstatus_to_exitcode(status)

    def reg_import(self, path, text):
        with open(path, "w", encoding="cp1252", newline="\r\n") as f:
            f.write(text)
        if self.run("reg", "import", path) != 0:
            sys.exit(f"bench: reg import {path} failed")

    def seed_active(self, key):
        """ProviderRegKey present again, so that every /d run deletes it."""
        if self.run("reg", "add", ROOT_KEY, "/v", "ProviderRegKey", "/t", "REG_SZ", "/d", key,
                    "/f") != 0:
            sys.exit("bench: reg add ProviderRegKey failed")


def reg_file(count):
    """A .reg file that replaces the whole configuration with COUNT providers."""
    lines = ["Windows Registry Editor Version 5.00", "",
             "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider]", "",
             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider]",
             f'"ProviderRegKey"="{reg_escape(provider_key(count // 2))}"', "",
             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider\\InstalledSCCProviders]"]
    for i in range(count):
        lines.append(f'"{provider_name(i)}"="{reg_escape(provider_key(i))}"')
    return "\n".join(lines) + "\n"


def provider_name(i):
    return f"{'acme' if i % 2 else 'Acme'} Source Control {i:05d} v{i % 7}"


def provider_key(i):
    return f"SOFTWARE\\Vendor{i:05d}\\SccProvider"


def reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def median(values):
    return statistics.median(values)


def process_timings(wine, programs, rounds, workdir):
    """The /d runs. PROGRAMS: [(label, args)]. Interleaved: every round runs
    each program once, in a shuffled order, each after ProviderRegKey was
    put back."""
    wine.reg_import(os.path.join(workdir, "seed3.reg"), reg_file(3))
    rng = random.Random(6)
    samples = {label: [] for label, _ in programs}
    codes = {label: set() for label, _ in programs}
    for label, args in programs:  # warm-up, untimed: page cache, server
        wine.seed_active(provider_key(1))
        wine.timed(*args)
    for _ in range(rounds):
        order = list(programs)
        rng.shuffle(order)
        for label, args in order:
            wine.seed_active(provider_key(1))
            seconds, peak, code = wine.timed(*args)
            samples[label].append((seconds, peak))
            codes[label].add(code)
    return samples, codes


def window_mapped(display):
    """The dialog's window id once it is mapped on DISPLAY, else None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{DIALOG_TITLE}$"],
                           env=dict(os.environ, DISPLAY=display), stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True, check=False)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


def dialog_run(wine, exe, timeout=60.0, env=None, stderr_path=os.devnull):
    """(seconds until the window is mapped, peak KB, exit code, seconds from
    Esc to the process's end), or None when the process ended before its
    window was mapped (a key left over from an earlier run closed it)."""
    display_env = dict(os.environ, DISPLAY=wine.env["DISPLAY"])
    start = time.perf_counter()
    pid = os.posix_spawn(wine.wine, [wine.wine, exe], env or wine.env,
                         file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                                       (os.POSIX_SPAWN_OPEN, 2, stderr_path,
                                        os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)])
    window = None
    while window is None and time.perf_counter() - start < timeout:
        window = window_mapped(wine.env["DISPLAY"])
        if window is None and os.wait4(pid, os.WNOHANG)[0]:
            return None
    shown = time.perf_counter() - start
    # Esc through XTEST to the focused dialog. A key that arrives before
    # Wine has activated the window is now and then lost: Esc again until the
    # process ends, timing the close from the Esc that worked.
    ended = None
    while window is not None and ended is None and time.perf_counter() - start < timeout:
        escaped = time.perf_counter()
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Escape"], check=False,
                       env=display_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while ended is None and time.perf_counter() - escaped < 1.5:
            waited, status, usage = os.wait4(pid, os.WNOHANG)
            if waited:
                ended = status, usage
            else:
                time.sleep(0.002)
    if ended is None:
        os.kill(pid, 9)
        os.wait4(pid, 0)
        sys.exit(f"bench: the dialog of {exe} did not open and close within {timeout:.0f} s "
                 f"(window {'mapped after %.1f s' % shown if window else 'never mapped'})")
    status, usage = ended
    return shown, usage.ru_maxrss, os.waitstatus_to_exitcode(status), time.perf_counter() - escaped


def dialog_sample(wine, exe, **kwargs):
    """One dialog run that showed its window; (sample, runs discarded)."""
    for discarded in range(3):
        sample = dialog_run(wine, exe, **kwargs)
        if sample is not None:
            return sample, discarded
    sys.exit(f"bench: the dialog of {exe} closed before it was shown, three times")


def dialog_timings(wine, exe, sizes, rounds, workdir):
    files = {}
    for n in sizes:
        files[n] = os.path.join(workdir, f"seed{n}.reg")
        with open(files[n], "w", encoding="cp1252", newline="\r\n") as f:
            f.write(reg_file(n))
    rng = random.Random(60)
    samples = {n: [] for n in sizes}
    codes = {n: set() for n in sizes}
    discarded = 0
    for n in sizes:  # warm-up: the desktop process, comctl32 v6, fonts
        wine.run("reg", "import", files[n])
        discarded += dialog_sample(wine, exe)[1]
    for _ in range(rounds):
        order = list(sizes)
        rng.shuffle(order)
        for n in order:
            if wine.run("reg", "import", files[n]) != 0:
                sys.exit(f"bench: reg import {files[n]} failed")
            (shown, peak, code, close), lost = dialog_sample(wine, exe)
            discarded += lost
            # The same start-up and load without the dialog: "/d" (the
            # dialog, closed with Esc, left ProviderRegKey in place).
            load, _, _ = wine.timed(exe, "/d")
            samples[n].append((shown, peak, close, load))
            codes[n].add(code)
    return samples, codes, discarded


def dll_names(trace):
    """Lower-case names of the DLLs in a WINEDEBUG=+loaddll trace."""
    return sorted({m.group(1).lower() for m in re.finditer(r'Loaded L"[^"]*\\\\([^"\\]+)"', trace)})


def loaded_dlls(wine, exe, args):
    """The DLLs that one run of EXE ARGS loads."""
    env = dict(wine.env, WINEDEBUG="+loaddll")
    out = subprocess.run([wine.wine, exe, *args], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, errors="replace", check=False).stderr
    return dll_names(out)


def loaded_dlls_dialog(wine, exe, workdir):
    """The DLLs that a run which opens the dialog (closed with Esc) loads."""
    trace = os.path.join(workdir, "dialog-loaddll.txt")
    dialog_sample(wine, exe, env=dict(wine.env, WINEDEBUG="+loaddll"), stderr_path=trace)
    with open(trace, errors="replace") as f:
        return dll_names(f.read())


# --- Host: instructions ------------------------------------------------------

HOST_SIZES = (10, 1000, 10000)


def callgrind_total(path):
    """The instructions that callgrind counted, from its output file."""
    # "summary:" near the top can read 0 when counting starts switched off;
    # "totals:" at the end holds the count.
    with open(path) as f:
        totals = [int(line.split()[1]) for line in f if line.startswith("totals:")]
    if not totals:
        sys.exit(f"bench: no totals in {path}")
    return totals[-1]


def callgrind(workdir, n):
    """(registry calls, instructions in all, instructions in the program) for
    loading and listing N providers, from the runs of scripts/bench.sh:
    ListingCost's output in listing.N.txt; callgrind.N.all.out counts inside
    LoadProviders and the dialog procedure, callgrind.N.program.out the same
    less the calls into the stand-in."""
    with open(os.path.join(workdir, f"listing.{n}.txt")) as f:
        calls = int(re.search(r"registry_calls=(\d+)", f.read()).group(1))
    return (calls, callgrind_total(os.path.join(workdir, f"callgrind.{n}.all.out")),
            callgrind_total(os.path.join(workdir, f"callgrind.{n}.program.out")))


# --- Sizes ------------------------------------------------------------------

def map_contributors(map_path):
    """{input file: bytes} of the sections that the link kept in the image."""
    with open(map_path, errors="replace") as f:
        text = f.read()
    text = text[text.index("Linker script and memory map"):]
    sizes = {}
    pending = None
    for line in text.splitlines():
        whole = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if pending and not whole:
            rest = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if rest:
                whole = (pending, rest.group(2), rest.group(3))
            pending = None
        elif whole:
            whole = (whole.group(1), whole.group(3), whole.group(4))
        else:
            alone = re.match(r"^ (\.\S+)$", line)
            pending = alone.group(1) if alone else None
            continue
        section, size, source = whole
        # Only what the image holds: no .bss, and no debug sections of the
        # runtime's objects (-s drops them).
        if section.startswith((".bss", "COMMON", ".debug", ".stab", ".comment", ".note")):
            continue
        source = re.sub(r"^.*/", "", source.strip())
        sizes[source] = sizes.get(source, 0) + int(size, 16)
    return sizes


def group_of(source):
    member = re.match(r"^(.*\.a)\((.*)\)$", source)
    if not member:
        return source
    # CMake links the program's own objects through objects.a.
    return "Kelvora's own code" if member.group(1) == "objects.a" else member.group(1)


# --- Report -----------------------------------------------------------------

def table(header, rows):
    widths = [max(len(str(x)) for x in col) for col in zip(header, *rows)]
    line = lambda r: "| " + " | ".join(str(x).ljust(w) for x, w in zip(r, widths)) + " |"
    return "\n".join([line(header), "|" + "|".join("-" * (w + 2) for w in widths) + "|",
                      *map(line, rows)])


def ms(seconds):
    return f"{seconds * 1000:.0f} ms"


def mib(kb):
    return f"{kb / 1024:.1f} MiB"


def verdict(value, goal):
    return f"{value:.2f}x (goal <= {goal}x: {'met' if value <= goal else 'NOT met'})"


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        memory = int(f.readline().split()[1]) // 1024
    os_name = "Linux"
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release") as f:
            os_name = re.search(r'PRETTY_NAME="([^"]*)"', f.read()).group(1)
    load = ", ".join(f"{x:.1f}" for x in os.getloadavg())
    return (f"{cpu}, {os.cpu_count()} cores, {memory} MiB RAM; {os_name}, kernel "
            f"{platform.release()}; load average {load} when the report was written")


def tool_version(*cmd):
    try:
        return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                              check=False).stdout.strip().splitlines()[0]
    except (OSError, IndexError):
        return "?"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--display", required=True)
    parser.add_argument("--x64", required=True, help="build folder of the 64-bit exes")
    parser.add_argument("--sizes", required=True, help="folder of the size variant builds")
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--dialog-rounds", type=int, default=9)
    parser.add_argument("--results", required=True)
    parser.add_argument("--command", required=True)
    args = parser.parse_args()

    wine = Wine(args.wine, args.prefix, args.display)
    kelvora = os.path.join(args.x64, "Kelvora.exe")
    floor = os.path.join(args.x64, "bench", "Floor.exe")
    floor_gui = os.path.join(args.x64, "bench", "FloorGui.exe")

    # The desktop stays up for the whole benchmark, as it does on Windows.
    holder = subprocess.Popen([args.wine, os.path.join(args.x64, "bench", "HoldDesktop.exe")],
                              env=wine.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        measure_and_report(args, wine, kelvora, floor, floor_gui)
    finally:
        holder.kill()
        holder.wait()


def measure_and_report(args, wine, kelvora, floor, floor_gui):
    out = []
    emit = lambda text="": (print(text, flush=True), out.append(text))

    # No window manager on the display: Wine should not wait for one.
    wine.run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
             "/d", "N", "/f")

    # What a /d run loads: the point of delay-loading USER32 and COMCTL32.
    wine.reg_import(os.path.join(args.workdir, "seed3.reg"), reg_file(3))
    wine.seed_active(provider_key(1))
    dlls_d = loaded_dlls(wine, kelvora, ["/d"])

    print("bench: /d runs ...", file=sys.stderr, flush=True)
    programs = [("Kelvora.exe /d", [kelvora, "/d"]),
                ("floor (registry work of /d only)", [floor]),
                ("floor + USER32/COMCTL32 imports", [floor_gui]),
                ("reg.exe delete", ["reg", "delete", ROOT_KEY, "/v", "ProviderRegKey", "/f"])]
    samples, codes = process_timings(wine, programs, args.rounds, args.workdir)

    print("bench: dialog runs ...", file=sys.stderr, flush=True)
    sizes = [3, 1000, 10000]
    dialog, dialog_codes, discarded = dialog_timings(wine, kelvora, sizes, args.dialog_rounds,
                                                     args.workdir)
    dlls_dialog = loaded_dlls_dialog(wine, kelvora, args.workdir)

    host = {n: callgrind(args.workdir, n) for n in HOST_SIZES}

    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    commit = subprocess.run(["git", "-C", os.path.dirname(os.path.abspath(__file__)), "rev-parse",
                             "--short", "HEAD"], stdout=subprocess.PIPE, text=True,
                            check=False).stdout.strip() or "?"
    emit("# Kelvora benchmark results")
    emit()
    emit("Written by `scripts/bench.sh`; every run replaces this file. Figures only:")
    emit("the goals are reported as met or not, nothing fails on time.")
    emit()
    emit(f"- Date: {now}")
    emit(f"- Machine: {machine()}")
    emit(f"- Wine: {tool_version(args.wine, '--version')}, wine64, one warm wineserver, "
         f"a private prefix, Xvfb display")
    emit(f"- Compiler: {tool_version('x86_64-w64-mingw32-g++-win32', '--version')}")
    emit(f"- Commit: {commit}")
    emit(f"- Command: `{args.command}`")
    emit()

    emit(f"## `Kelvora.exe /d` against the floor and reg.exe ({args.rounds} interleaved rounds)")
    emit()
    emit("Each run deletes `ProviderRegKey` (it is put back before every run, untimed), with")
    emit("3 providers installed. Time: whole process, spawn to reap, median. Memory: peak")
    emit("resident set of the process (wait4 ru_maxrss), median.")
    emit()
    base = median([s for s, _ in samples[programs[1][0]]])
    reg = median([s for s, _ in samples[programs[3][0]]])
    rows = []
    for label, _ in programs:
        times = [s for s, _ in samples[label]]
        rows.append([label, ms(median(times)), f"{ms(min(times))} - {ms(max(times))}",
                     f"{median(times) / base:.2f}", f"{median(times) / reg:.2f}",
                     mib(median([p for _, p in samples[label]])),
                     ",".join(map(str, sorted(codes[label])))])
    emit(table(["program", "median", "range", "x floor", "x reg.exe", "peak memory", "exit"], rows))
    kel = median([s for s, _ in samples[programs[0][0]]])
    emit()
    emit(f"- Kelvora /d against the floor: {verdict(kel / base, GOAL_FLOOR)}")
    emit(f"- Kelvora /d against reg.exe: {verdict(kel / reg, GOAL_REG)}")
    emit(f"- DLLs loaded by `Kelvora.exe /d` (WINEDEBUG=+loaddll): {', '.join(dlls_d)}")
    gui = [d for d in dlls_d if d in ("user32.dll", "comctl32.dll")]
    emit(f"- USER32/COMCTL32 loaded by /d: {'yes: ' + ', '.join(gui) if gui else 'no'}")
    emit(f"- A run that opens the dialog loads them: "
         f"{', '.join(d for d in dlls_dialog if d in ('user32.dll', 'comctl32.dll')) or 'NO'}")
    emit()

    emit(f"## The dialog with 3, 1,000 and 10,000 providers ({args.dialog_rounds} interleaved rounds)")
    emit()
    emit("Time from spawning `Kelvora.exe` until its dialog window is mapped (polled with")
    emit("`xdotool search --onlyvisible`, a few ms per poll), then closed with Esc. Peak memory")
    emit("as above, for the whole run. The prefix has `Managed=N` (Xvfb runs no window manager,")
    emit("and a managed window makes Wine wait 2 s for one when the dialog closes). A helper")
    emit("process keeps Wine's desktop up between runs, as Windows' desktop always is. A run")
    emit("that ends before its window is mapped (an Esc left over from the run before closed it)")
    emit(f"is run again: {discarded} such run(s) this time. Each round also times `Kelvora.exe /d`")
    emit("over the same registry: the same start-up and loading, without the dialog.")
    emit()
    rows = []
    first = median([d[0] for d in dialog[sizes[0]]])
    for n in sizes:
        shown = [d[0] for d in dialog[n]]
        rows.append([f"{n:,}", ms(median(shown)), f"{ms(min(shown))} - {ms(max(shown))}",
                     f"{median(shown) / first:.2f}", ms(median([d[3] for d in dialog[n]])),
                     ms(median([d[2] for d in dialog[n]])), mib(median([d[1] for d in dialog[n]])),
                     ",".join(map(str, sorted(dialog_codes[n])))])
    emit(table(["providers", "window after (median)", "range", "x 3 providers",
                "/d run, same registry", "exit after Esc", "peak memory", "exit"], rows))
    emit()
    last = median([d[0] for d in dialog[sizes[-1]]])
    emit(f"- 10,000 providers against 3: {verdict(last / first, GOAL_DIALOG)}")
    load_first = median([d[3] for d in dialog[sizes[0]]])
    load_last = median([d[3] for d in dialog[sizes[-1]]])
    added, loading = last - first, load_last - load_first
    emit(f"- 10,000 providers add {ms(added)} to the dialog's opening. A `/d` run over the same "
         f"registry (start-up and LoadProviders, no dialog) grows by {ms(loading)}: reading the "
         f"providers (20,000 registry calls through the Wine server) is "
         f"{min(100, round(100 * loading / added)) if added > 0 else 100}% of what they add "
         "(the rest, if any, is filling and showing the list).")
    emit()

    emit("## Loading and listing on the host stand-in (callgrind, instructions)")
    emit()
    emit("`bench/host/ListingCost N` runs `LoadProviders` and the dialog's `WM_INITDIALOG`")
    emit("(`FillProviderList`, inlined into `ProviderDialogProc`) over the stand-in of")
    emit("`tests/win32`; callgrind counts only inside those two (`--toggle-collect`). The")
    emit("names are 28 bytes, created in a scattered order. Registry calls come from")
    emit("`fake::CallLog()`. \"Program\" leaves out the calls into the stand-in (counting")
    emit("switched off inside each): it is Kelvora's own code, the catalogue's map and")
    emit("strings included; \"all\" adds the stand-in's in-memory registry and list.")
    emit()
    rows = []
    ratios = []
    for n, (calls, total, own) in host.items():
        nlogn = n * max(1.0, math.log2(n))
        ratios.append(own / nlogn)
        rows.append([f"{n:,}", f"{calls:,}", f"{calls / n:.2f}", f"{own:,}", f"{own / n:,.0f}",
                     f"{own / nlogn:,.1f}", f"{total:,}", f"{total / n:,.0f}"])
    emit(table(["providers", "registry calls", "calls / provider", "program instructions",
                "per provider", "per n log2 n", "all instructions", "all per provider"], rows))
    emit()
    growth = ratios[2] / ratios[1]
    emit(f"- Program instructions per n log2 n, 1,000 -> 10,000 providers: {ratios[1]:,.1f} -> "
         f"{ratios[2]:,.1f} (x{growth:.2f}: "
         f"{'n log n at worst' if growth <= 1.1 else 'growing faster than n log n'})")
    emit("- Registry calls: 2 per provider (enumerate the name, read the value by name) and 6 "
         "in all besides (open, read ProviderRegKey and close the root; open, count and "
         "close InstalledSCCProviders).")
    emit()

    emit("## Exe sizes")
    emit()
    emit("Each row adds one flag to the row above; the last row is the shipped build")
    emit("(`KELVORA_SIZE_COMPILE_FLAGS` / `KELVORA_SIZE_LINK_FLAGS` in src/CMakeLists.txt).")
    emit("None of them changes what the program does.")
    emit()
    variants = [("-O2", "o2"), ("-Os instead of -O2", "os"),
                ("+ -ffunction-sections -fdata-sections", "sections"),
                ("+ -Wl,--gc-sections (shipped)", "shipped")]
    rows = []
    sizes_of = {}
    for arch in ("x86", "x64"):
        for key in [k for _, k in variants] + ["gconly", "unstripped"]:
            sizes_of[arch, key] = os.path.getsize(
                os.path.join(args.sizes, f"{arch}-{key}", "Kelvora.exe"))
    for i, (label, key) in enumerate(variants):
        row = [label]
        for arch in ("x86", "x64"):
            size = sizes_of[arch, key]
            saved = ""
            if i:
                delta = sizes_of[arch, variants[i - 1][1]] - size
                saved = f" (saves {delta:,})" if delta >= 0 else f" (adds {-delta:,})"
            row.append(f"{size:,}{saved}")
        rows.append(row)
    emit(table(["flags (all with -s, -static)", "x86 bytes", "x64 bytes"], rows))
    emit()
    for arch in ("x86", "x64"):
        emit(f"- {arch}: -Wl,--gc-sections without the per-function sections saves "
             f"{sizes_of[arch, 'os'] - sizes_of[arch, 'gconly']:,} bytes (the libraries' own "
             f"sections only); -s saves {sizes_of[arch, 'unstripped'] - sizes_of[arch, 'shipped']:,} "
             "bytes of symbol table.")
    emit()
    for arch in ("x86", "x64"):
        contributors = map_contributors(
            os.path.join(args.sizes, f"{arch}-unstripped", "src", "Kelvora.map"))
        groups = {}
        for source, size in contributors.items():
            groups[group_of(source)] = groups.get(group_of(source), 0) + size
        emit(f"Largest contributors, {arch} (unstripped shipped build, bytes of kept sections "
             "from the link map):")
        emit()
        top = sorted(contributors.items(), key=lambda kv: -kv[1])[:12]
        emit(table(["object", "bytes"], [[s, f"{b:,}"] for s, b in top]))
        emit()
        emit(table(["library", "bytes"],
                   [[g, f"{b:,}"] for g, b in sorted(groups.items(), key=lambda kv: -kv[1])[:8]]))
        emit()

    with open(args.results, "w") as f:
        f.write("\n".join(out).rstrip() + "\n")
    print(f"bench: wrote {args.results}", file=sys.stderr)


if __name__ == "__main__":
    main()
