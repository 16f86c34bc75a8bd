"""A private Wine world for running Kelvora: its own prefix, its own
wineserver kept warm, and its own X display (a private Xvfb unless an
existing display is handed in). Everything it starts, it stops in close(),
which the callers reach on every exit path.

Facts this relies on (Debian 12, Wine 8):
- /usr/lib/wine/wine64 must be called directly; /usr/bin/wine may pick the
  32-bit loader, and the kernel runs no 32-bit code.
- Every Wine call of one session gets the same DISPLAY, reg.exe included: the
  desktop process keeps the environment of whichever process started it.
- Without a window manager, Wine draws frames and captions only with
  HKCU\\Software\\Wine\\X11 Driver\\Managed = "N".
- reg.exe prints in the OEM code page (437), while the registry, the command
  line and OutputDebugStringA carry ANSI (1252) text.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
DIALOG_TITLE = "Change Source Control Provider"
SCC_ROOT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\SourceCodeControlProvider"
ANSI = "cp1252"
OEM = "cp437"
DEBUGSTR_LINE = re.compile(rb'^(?:[0-9a-f]+:)+warn:debugstr:OutputDebugStringA "(.*)"\s*$')


class WineError(Exception):
    pass


def decode_debugstr(escaped):
    """Undoes the C escapes of Wine's debugstr output (\\n, \\t, \\r, \\",
    \\\\, \\xNN), giving the bytes the program passed, as ANSI text."""
    out = bytearray()
    i = 0
    while i < len(escaped):
        c = escaped[i]
        if c != ord("\\") or i + 1 == len(escaped):
            out.append(c)
            i += 1
            continue
        n = escaped[i + 1]
        simple = {ord("n"): 10, ord("t"): 9, ord("r"): 13, ord('"'): 34, ord("\\"): 92}
        if n in simple:
            out.append(simple[n])
            i += 2
        elif n == ord("x"):
            out.append(int(escaped[i + 2:i + 4], 16))
            i += 4
        else:
            out.append(c)
            i += 1
    return out.decode(ANSI)


def debug_messages(stderr_bytes):
    """The OutputDebugStringA messages in a Wine stderr capture, in order."""
    return [decode_debugstr(m.group(1))
            for m in map(DEBUGSTR_LINE.match, stderr_bytes.splitlines()) if m]


def _display_free(number):
    return not (os.path.exists(f"/tmp/.X{number}-lock")
                or os.path.exists(f"/tmp/.X11-unix/X{number}"))


class WineBox:
    def __init__(self, prefix, work_dir, keep_prefix=False, display=None, first_display=91):
        """prefix: folder of the Wine prefix (made when missing).
        display: an X display to use as it is (":0"); None starts a private
        Xvfb on the first free number from first_display upward."""
        self.prefix = os.path.abspath(prefix)
        self.work_dir = os.path.abspath(work_dir)
        self.keep_prefix = keep_prefix
        self.display = display
        self.first_display = first_display
        self.xvfb = None
        self.server_started = False
        self.prefix_made = False

    # --- life cycle -------------------------------------------------------

    def start(self):
        os.makedirs(self.work_dir, exist_ok=True)
        if self.display is None:
            self._start_xvfb()
        fresh = not os.path.exists(os.path.join(self.prefix, "system.reg"))
        if fresh:
            os.makedirs(self.prefix, exist_ok=True)
            self.prefix_made = not self.keep_prefix
        self.start_server()
        if fresh:
            self.wine(["wineboot", "-i"], timeout=180)
            self.wine(["reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed",
                       "/t", "REG_SZ", "/d", "N", "/f"])

    def close(self):
        """Stops everything this box started; safe to call more than once and
        after a partial start."""
        if self.server_started or os.path.exists(self.prefix):
            self.stop_server()
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None
        if self.prefix_made and os.path.exists(self.prefix):
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix_made = False

    def leftover_processes(self):
        """Processes still running in this prefix (read from /proc), as
        (pid, command) pairs; empty after a clean close()."""
        marker = ("WINEPREFIX=" + self.prefix).encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    found.append((int(pid), f.read().replace(b"\0", b" ").decode(errors="replace")))
            except OSError:
                continue
        return found

    def _start_xvfb(self):
        log = open(os.path.join(self.work_dir, "xvfb.log"), "ab")
        for number in range(self.first_display, self.first_display + 100):
            if not _display_free(number):
                continue
            proc = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                stdout=log, stderr=log, stdin=subprocess.DEVNULL)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and proc.poll() is None:
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    self.xvfb = proc
                    self.display = f":{number}"
                    return
                time.sleep(0.05)
            # Lost a race for this number (or Xvfb is broken): try the next.
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        raise WineError("no free X display for Xvfb")

    def env(self, display=True, debug=False, **extra):
        env = dict(os.environ)
        for name in ("WINEDEBUG", "WINESERVER", "WINELOADER", "LC_ALL", "LANGUAGE"):
            env.pop(name, None)
        env.update(
            WINEPREFIX=self.prefix,
            # The ANSI code page (1252) and the Unix file names (UTF-8) follow
            # the locale: fix it, whatever the caller's shell has.
            LANG="C.UTF-8",
            # No Mono or Gecko installer prompts while the prefix is made.
            WINEDLLOVERRIDES="mscoree,mshtml=",
            WINEDEBUG="-all,warn+debugstr" if debug else "-all",
        )
        if display:
            env["DISPLAY"] = self.display
        else:
            env.pop("DISPLAY", None)
        env.update(extra)
        return env

    def start_server(self):
        # -p keeps the server alive between calls (Debian's wrapper would
        # start it with -p0, and each cold start costs about a second).
        subprocess.run([WINESERVER, "-p"], env=self.env(), check=True, timeout=30,
                       stdin=subprocess.DEVNULL)
        self.server_started = True

    def stop_server(self):
        # -k ends every process of this prefix, then the server itself;
        # killing the server alone would leave services.exe and friends.
        subprocess.run([WINESERVER, "-k"], env=self.env(), timeout=30,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=30,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.server_started = False

    def restart_server(self):
        self.stop_server()
        self.start_server()

    # --- Wine programs ----------------------------------------------------

    def wine(self, args, timeout=60, check=True, display=True):
        # Files, not pipes: processes that Wine starts on the way (services,
        # the desktop) inherit the output handles and outlive the call, so a
        # pipe would never reach end-of-file.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run([WINE] + args, env=self.env(display=display), timeout=timeout,
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err)
            out.seek(0)
            err.seek(0)
            proc.stdout, proc.stderr = out.read(), err.read()
        if check and proc.returncode != 0:
            raise WineError(f"wine64 {' '.join(args)} exited with {proc.returncode}: "
                            f"{proc.stderr.decode(errors='replace')[-2000:]}")
        return proc

    def drive_c(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def launch(self, launcher, command_line, stderr_path, display=True):
        """Starts the launcher (a Windows path) with an exact command line
        (ANSI text); returns the running wine64 process."""
        hex_line = command_line.encode(ANSI).hex()
        stderr = open(stderr_path, "wb")
        try:
            return subprocess.Popen(
                [WINE, launcher], stdin=subprocess.DEVNULL, stdout=stderr, stderr=stderr,
                env=self.env(display=display, debug=True, KELVORA_COMMAND_LINE_HEX=hex_line))
        finally:
            stderr.close()

    # --- registry -----------------------------------------------------------

    def reg_import(self, text, name="seed.reg"):
        """Imports a REGEDIT4 file: ANSI text, so bytes above 0x7F arrive as
        written."""
        path = os.path.join(self.work_dir, name)
        with open(path, "wb") as f:
            f.write(text.replace("\n", "\r\n").encode(ANSI))
        self.wine(["reg", "import", "Z:" + path.replace("/", "\\")])

    def reg_query_tree(self, key=SCC_ROOT):
        """`reg query KEY /s` as a list of lines, or None when the key is
        missing. A failed query is tried once more, and its output kept in
        reg-query-failures.log: a missing key fails both times."""
        for attempt in range(2):
            proc = self.wine(["reg", "query", key, "/s"], check=False)
            if proc.returncode == 0:
                text = proc.stdout.decode(OEM)
                return text.replace("\r\n", "\n").split("\n")
            with open(os.path.join(self.work_dir, "reg-query-failures.log"), "ab") as log:
                log.write(b"--- exit %d\n%s\n%s\n" % (proc.returncode, proc.stdout, proc.stderr))
            time.sleep(0.2)
        return None

    # --- the dialog -----------------------------------------------------------

    def xdotool(self, *args, timeout=10, check=True):
        try:
            proc = subprocess.run(["xdotool"] + list(args), env=self.env(), timeout=timeout,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE)
        except subprocess.TimeoutExpired:
            raise WineError(f"xdotool {' '.join(args)}: no answer after {timeout} s")
        if check and proc.returncode != 0:
            raise WineError(f"xdotool {' '.join(args)}: {proc.stderr.decode(errors='replace')}")
        return proc.stdout.decode().split()

    def find_dialog(self):
        ids = self.xdotool("search", "--onlyvisible", "--name", f"^{DIALOG_TITLE}$", check=False)
        return ids[0] if ids else None

    def wait_for_dialog(self, process, timeout):
        """Polls for the dialog's window (finer than xdotool --sync). Returns
        its X id, or None when the process ended or the time ran out."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            wid = self.find_dialog()
            if wid:
                return wid
            if process.poll() is not None:
                return None
            time.sleep(0.05)
        return None

    def geometry(self, wid):
        out = dict(line.split("=", 1) for line in
                   self.xdotool("getwindowgeometry", "--shell", wid))
        return int(out["X"]), int(out["Y"]), int(out["WIDTH"]), int(out["HEIGHT"])

    def screenshot(self, wid, path):
        x, y, w, h = self.geometry(wid)
        subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", path],
                       env=self.env(), check=True, timeout=30, stdin=subprocess.DEVNULL)

    def press(self, wid, keys):
        self.xdotool("windowfocus", "--sync", wid)
        self.xdotool("key", "--delay", "40", *keys)

    def click(self, locator, target):
        """Clicks the dialog's "ok", "cancel" or "close" where the locator
        (a Windows program asking the dialog itself) says it is."""
        proc = self.wine([locator], timeout=30)
        spots = {}
        for line in proc.stdout.decode().splitlines():
            name, x, y = line.split()
            spots[name] = (x, y)
        x, y = spots[target]
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", "1")


def install_signal_exit():
    """Turns SIGTERM and SIGHUP into SystemExit, so that `finally` blocks
    (which stop Wine and Xvfb) also run when the caller is interrupted."""
    def leave(signum, _frame):
        raise SystemExit(128 + signum)
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, leave)
