"""Wine test harness: a private prefix, HOME and X display per scenario, and the test driver.

Environment (set by ctest; defaults suit a run from the source tree):
  WINE_BUILD_DIR   the win64 build folder (setup.exe, test programs, testdriver.exe)
  WINE_TEMPLATE    the template prefix, made once per test run with wineboot
  WINE_RESULTS     where failed scenarios keep their prefix and screenshots
"""
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_DIR = HERE.parent.parent
BUILD = Path(os.environ.get("WINE_BUILD_DIR", SOURCE_DIR / "build" / "win64"))
TEMPLATE = Path(os.environ.get("WINE_TEMPLATE", BUILD / "wine" / "template"))
RESULTS = Path(os.environ.get("WINE_RESULTS", BUILD / "wine-results"))
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
WINEBOOT_ENV = {
    "WINEARCH": "win64",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d",
}


def _env(prefix, home, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(WINEBOOT_ENV)
    env["WINEPREFIX"] = str(prefix)
    env["HOME"] = str(home)
    env["XDG_RUNTIME_DIR"] = str(home)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    return env


def make_template(path=TEMPLATE):
    """Boots a fresh prefix once; scenarios copy it."""
    path = Path(path)
    if (path / "system.reg").exists():
        return path
    tmp = Path(str(path) + ".tmp")
    shutil.rmtree(tmp, ignore_errors=True)
    home = Path(str(path) + ".home")
    home.mkdir(parents=True, exist_ok=True)
    env = _env(tmp, home)
    subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, capture_output=True, timeout=300)
    # The user's Desktop, Documents and so on are links to the HOME the template was made with;
    # each scenario's copy needs folders of its own.
    for user in (tmp / "drive_c" / "users").iterdir():
        for p in user.iterdir():
            if p.is_symlink():
                p.unlink()
                p.mkdir()
    # The fonts a Windows has: this Wine does not find its own font folder (MS Sans Serif and the
    # rest), and Courier New is taken by its metric twin.
    fonts = tmp / "drive_c" / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    for f in sorted(Path("/usr/share/wine/fonts").glob("*")):
        shutil.copy(f, fonts)
    subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "Courier New", "/d",
                    "Liberation Mono", "/f"], env=env, check=True, capture_output=True, timeout=120)
    subprocess.run([WINESERVER, "-w"], env=env, timeout=300)
    shutil.rmtree(path, ignore_errors=True)
    tmp.rename(path)
    return path


def start_xvfb():
    """Starts Xvfb on a free display; returns (process, ':N')."""
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        num = f.readline().strip()
    if not num:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + num


class DriverError(AssertionError):
    pass


def _escape(s):
    return str(s).replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def _unescape(s):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m.group(1), m.group(1)), s)


class Driver:
    """The Win32 test driver (tools/testdriver), one command per call."""

    def __init__(self, session):
        self.session = session
        self.proc = subprocess.Popen([WINE, str(BUILD / "tools" / "testdriver" / "testdriver.exe")],
                                     env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, encoding="latin-1", bufsize=1)

    def call(self, *words):
        self.proc.stdin.write("\t".join(_escape(w) for w in words) + "\n")
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise DriverError("test driver ended during %r" % (words,))
        status, _, value = line.rstrip("\n").partition("\t")
        if status != "ok":
            raise DriverError("%s: %s" % (" ".join(map(str, words)), _unescape(value)))
        return value

    def fields(self, *words):
        return [_unescape(v) for v in self.call(*words).split("\t")]

    # -- programs and windows
    def start(self, program, args="", cwd=""):
        path = self.session.win_path(program) if str(program).startswith("/") else str(program)
        line = '"%s"' % path + (" " + args if args else "")
        return int(self.call("start", line, cwd))

    def wait_window(self, title="", cls="", timeout=15000, any_process=False):
        return self.call("wait", title, cls, timeout, 1 if any_process else 0)

    def wait_gone(self, title="", cls="", timeout=10000):
        self.call("gone", title, cls, timeout)

    def windows(self, any_process=False):
        return [w for w in self.fields("windows", 1 if any_process else 0) if w]

    def wait_exit(self, timeout=15000):
        return int(self.call("waitexit", timeout))

    def running(self):
        return self.call("running") == "1"

    def msgbox(self, timeout=10000):
        caption, text = self.fields("msgbox", timeout)
        return caption, text

    def answer(self, button=1):
        self.call("answer", button)

    # -- controls of the current window (id 0 is the window itself)
    def text(self, cid):
        return _unescape(self.call("text", cid))

    def set_text(self, cid, text):
        self.call("settext", cid, text)

    def state(self, cid):
        return {k: int(v) for k, v in (p.split("=") for p in self.call("state", cid).split())}

    def click(self, cid):
        self.call("click", cid)

    def post_click(self, cid):
        self.call("postclick", cid)

    def key(self, name):
        self.call("key", name)

    def close(self):
        self.call("close")

    def rect(self, cid=0):
        v = [int(x) for x in self.fields("rect", cid)]
        return {"window": tuple(v[0:4]), "client": tuple(v[4:8])}

    def font(self, cid):
        face, height, weight = self.fields("font", cid)
        return face, int(height), int(weight)

    def progress(self, cid):
        pos, lo, hi = (int(x) for x in self.fields("progress", cid))
        return pos, lo, hi

    def children(self):
        out = []
        for item in self.fields("children"):
            if not item:
                continue
            cid, cls, flags, rect, text = item.split("\t", 4) if "\t" in item else (item, "", "", "", "")
            out.append({"id": int(cid), "class": cls, "visible": "visible=1" in flags,
                        "enabled": "enabled=1" in flags, "rect": tuple(int(x) for x in rect.split(",")),
                        "text": text})
        return out

    def screen(self):
        w, h = self.fields("screen")
        return int(w), int(h)

    def sleep(self, ms):
        self.call("sleep", ms)

    def quit(self):
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.flush()
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


class WineSession:
    """A scenario's private Wine: prefix copied from the template, HOME, Xvfb display."""

    def __init__(self, name, tz=None):
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.tz = tz
        self.drivers = []
        self.setup_exe = BUILD / "setup.exe"

    # -- life cycle
    def __enter__(self):
        make_template()
        self.root = Path(tempfile.mkdtemp(prefix="wine-%s-" % self.name[-40:]))
        self.prefix = self.root / "prefix"
        self.home = self.root / "home"
        self.home.mkdir()
        subprocess.run(["cp", "-a", str(TEMPLATE), str(self.prefix)], check=True)
        self.xvfb, self.display = start_xvfb()
        self.env = _env(self.prefix, self.home, self.display)
        if self.tz:
            self.env["TZ"] = self.tz
        # A persistent wineserver saves its start-up on every program of the scenario.
        # Its system processes (services, explorer) are started here with no pipes of ours, so that
        # later programs' output ends when they do.
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True)
        subprocess.run([WINE, "wineboot"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        return self

    def __exit__(self, exc_type, exc, tb):
        failed = exc_type is not None
        if failed:
            keep = RESULTS / self.name
            shutil.rmtree(keep, ignore_errors=True)
            keep.mkdir(parents=True, exist_ok=True)
            try:
                self.screenshot("failure")
            except Exception:
                pass
        for d in self.drivers:
            d.quit()
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=60)
        self.xvfb.kill()
        self.xvfb.wait()
        if failed:
            shutil.move(str(self.prefix), str(RESULTS / self.name / "prefix"))
            print("kept the prefix and a screenshot under %s" % (RESULTS / self.name))
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    # -- paths
    def unix_path(self, winpath):
        """C:\\x\\y -> the file inside the prefix (drive letters follow dosdevices). Parts are matched
        without regard to case, as Windows does (C:\\Windows is drive_c/windows); parts that do not
        exist are kept as written."""
        path = (self.prefix / "dosdevices" / (winpath[0].lower() + ":")).resolve()
        for part in [p for p in winpath[2:].split("\\") if p]:
            if path.is_dir() and not (path / part).exists():
                part = next((c.name for c in path.iterdir() if c.name.lower() == part.lower()), part)
            path = path / part
        return path

    def win_path(self, path):
        return "Z:" + str(Path(path).resolve()).replace("/", "\\")

    def prog(self, name):
        """A test program of tests/wine/progs, as a path wine64 can start."""
        return BUILD / "tests" / "wine" / (name + ".exe")

    # -- running
    def run(self, args, timeout=120, check=False, input=None):
        args = [str(a) for a in args]
        return subprocess.run([WINE] + args, env=self.env, capture_output=True, text=True,
                              encoding="latin-1", timeout=timeout, check=check, input=input)

    def start(self, args):
        return subprocess.Popen([WINE] + [str(a) for a in args], env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True, encoding="latin-1")

    def driver(self):
        d = Driver(self)
        self.drivers.append(d)
        return d

    # -- registry
    def reg(self, *args, check=True):
        r = self.run(["reg"] + list(args))
        if check and r.returncode != 0:
            raise AssertionError("reg %s failed: %s" % (" ".join(args), r.stdout + r.stderr))
        return r

    def reg_query(self, key, value=None):
        """Data of a value (text as reg prints it), or None when the key or value is missing."""
        args = ["query", key] + (["/v", value] if value is not None else ["/ve"])
        r = self.reg(*args, check=False)
        if r.returncode != 0:
            return None
        for line in r.stdout.splitlines():
            parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                if value is None or parts[0].lower() == value.lower():
                    return parts[2] if len(parts) > 2 else ""
        return None

    def reg_key_exists(self, key):
        return self.reg("query", key, check=False).returncode == 0

    def set_windows_version(self, exe_name, version):
        """Makes GetVersionExA report another Windows to one program (win98, winxp, vista, ...)."""
        self.reg("add", r"HKCU\Software\Wine\AppDefaults\%s" % exe_name, "/v", "Version", "/d", version, "/f")

    @contextlib.contextmanager
    def small_drive(self, letter="e", size="100k"):
        """A tmpfs of the given size as the Windows drive letter (a full disk, for real); yields its
        host folder. Skips the test where tmpfs cannot be mounted."""
        disk = self.root / ("drive-" + letter)
        disk.mkdir()
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", str(disk)],
                                 capture_output=True, text=True)
        if mounted.returncode != 0:
            raise unittest.SkipTest("cannot mount a small tmpfs here: " + mounted.stderr.strip())
        try:
            (self.prefix / "dosdevices" / (letter + ":")).symlink_to(disk)
            yield disk
        finally:
            subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
            subprocess.run(["umount", "-l", str(disk)], capture_output=True)

    # -- evidence
    def screenshot(self, name):
        """A PNG of the whole virtual screen, kept with the test results."""
        out = RESULTS / self.name / (name + ".png")
        out.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.display, "-window", "root", str(out)],
                       capture_output=True, timeout=30)
        return out


def payload_file(resource):
    """The file a payload row must leave on disk: what the build packed into that resource."""
    return BUILD / "resources" / "payloads" / (resource + ".file")


WINDOWS_VERSIONS = {0: "win98", 1: "win7", 2: "winxp", 3: "vista"}
