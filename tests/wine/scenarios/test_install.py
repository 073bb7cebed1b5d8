"""A full installation through setup.exe, on each Windows version class: the user's story from the
first page to an installed, registered product with its shortcuts, and the run-on-exit choice.

The helpers here are shared by the other test_install_* scenarios.
"""
import datetime
import os
import re
import subprocess
import sys
import time
import unittest
import zoneinfo
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import BUILD, SOURCE_DIR, DriverError, WineSession, payload_file  # noqa: E402

PRODUCT = "Quillith"
TITLE = "YLTERA Quillith"
CAPTION = "YLTERA Setup"
DEFAULT_DIR = r"C:\Program Files\Yltera\Quillith"
WINDOWS_DIR = r"C:\Windows"
GROUP = r"YLTERA\Quillith"
STAMP = (2010, 2, 1, 3, 0, 0)  # the files' time stamp, local time of the machine
FIXED_PAUSES = 0.5 + 1.9 + 1.5  # timer, seven files and the end of the pass, five links and the end
PAYLOAD_STREAMS = 323772  # bytes of the eight payload resources in setup.exe

FILE_MESSAGE = "Unable to create destination file!\r\nInstallation will now be aborted."
ABORT_MESSAGE = ("Installation Aborted!\r\n\r\nYLTERA Quillith could not be installed at this time.\r\n"
                 "Please restart your computer before running setup again.")
FINISH_TEXT = ("YLTERA Quillith was sucessfully installed. Please take a moment to check out the Survival "
               "Guide below and remember to tell a friend or two about YLTERA and share the experience "
               "together!")
RUN_ON_EXIT_TEXT = "Place a check here to run YLTERA Quillith on exit..."

# The files of one installation: (folder, file name, resource), in file-table order.
ROWS_98 = ["CLEANUP", "PROGRAM_98", "PROGRAMHLP", "UPDATER", "WEBLINK", "ORDER", "REGINFO"]
ROWS_XP = ["CLEANUP", "PROGRAM_XP", "PROGRAMHLP", "UPDATER", "WEBLINK", "ORDER", "REGINFO"]
FILE_NAMES = {"CLEANUP": "QLRemove.exe", "PROGRAM_98": "Quillith.exe", "PROGRAM_XP": "Quillith.exe",
              "PROGRAMHLP": "Quillith.chm", "UPDATER": "QLUpdate.exe", "WEBLINK": "Yltera Online.url",
              "ORDER": "Purchase.txt", "REGINFO": "Pricing.txt"}
# The group links: (name, target file, in the install folder (else the Windows folder)).
LINKS = [("Remove", "QLRemove.exe", False), ("Quillith", "Quillith.exe", True),
         ("Help", "Quillith.chm", True), ("Update", "QLUpdate.exe", True),
         ("Yltera Online", "Yltera Online.url", True)]

PRODUCT_KEY = r"HKLM\Software\Yltera\Programs"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillith"

SINGLE_USER, MULTIPLE_USERS = 406, 407


# -- the prefix

def user_name(s):
    return next(p.name for p in (s.prefix / "drive_c" / "users").iterdir() if p.name != "Public")


def link_folders(s, all_users):
    """(Start-menu programs folder, desktop folder) as Wine resolves them."""
    if all_users:
        return (r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs", r"C:\users\Public\Desktop")
    base = r"C:\users\%s" % user_name(s)
    return (base + r"\AppData\Roaming\Microsoft\Windows\Start Menu\Programs", base + r"\Desktop")


def all_links(s):
    """Every .lnk file of the prefix, as Windows paths."""
    drive_c = s.prefix / "drive_c"
    found = []
    for root, _, files in os.walk(drive_c):
        for f in files:
            if f.lower().endswith(".lnk"):
                rel = Path(root, f).relative_to(drive_c)
                found.append("C:\\" + str(rel).replace("/", "\\"))
    return sorted(found)


def read_link(s, winpath):
    """Local path, working directory and description of a link, as lnkinfo reads them."""
    out = subprocess.run(["lnkinfo", str(s.unix_path(winpath))], capture_output=True, text=True,
                         encoding="latin-1").stdout
    info = {}
    for key in ("Local path", "Working directory", "Description"):
        m = re.search(r"^\s*%s\s*: (.*)$" % key, out, re.M)
        info[key] = m.group(1) if m else None
    return info


def reg_values(s, key):
    """{name: data} of a key's values, or None when the key is missing."""
    r = s.reg("query", key, check=False)
    if r.returncode != 0:
        return None
    values = {}
    for line in r.stdout.splitlines():
        if not line.startswith("    "):
            continue
        parts = re.split(r" {4}", line.strip(), maxsplit=2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) > 2 else ""
    return values


def payload_stream_bytes(exe):
    """Bytes of the payload resources in a setup.exe, as wrestool lists them."""
    out = subprocess.run(["wrestool", "-l", str(exe)], capture_output=True, text=True).stdout
    names = "|".join(sorted(set(FILE_NAMES)))
    return sum(int(m.group(1)) for m in
               re.finditer(r"--type=10 --name='(?:%s)'.*size=(\d+)\]" % names, out))


def stamp_epoch(tz):
    """The files' time stamp read as local time in tz, as seconds since the epoch (UTC)."""
    return datetime.datetime(*STAMP, tzinfo=zoneinfo.ZoneInfo(tz)).timestamp()


def welcome_text():
    data = (SOURCE_DIR / "resources" / "WELCOME.txt").read_bytes()
    return data[:data.index(b"\r\n.\r\n")].decode("latin-1")


# -- the wizard

def open_wizard(s, version):
    """Starts setup.exe as the given Windows and returns the driver on its frame."""
    s.set_windows_version("setup.exe", version)
    d = s.driver()
    d.start(s.setup_exe)
    d.wait_window(title=TITLE)
    return d


def to_destination(d):
    """Welcome, licence accepted: the destination page is shown."""
    d.click(101)
    d.click(301)
    d.click(101)


class Run:
    """What was seen while the installation ran."""

    def __init__(self):
        self.files = []  # distinct texts of 500 in the order seen
        self.links = []  # distinct texts of 505
        self.bars = None  # ((pos, lo, hi) of 501, of 506) while 505 reads "Success"
        self.seconds = None  # from the progress page's creation to the finish page


def _note(seen, text):
    if text and (not seen or seen[-1] != text):
        seen.append(text)


def run_installation(d, folder=None, scope=None, timeout=60):
    """Accepts the destination page (typing a folder, choosing a scope) and watches the run until
    the finish page is up. The Continue click is posted so that its moment is known: the frame
    creates the progress page as it handles it."""
    if folder is not None:
        d.set_text(401, folder)
    if scope is not None:
        d.click(scope)
    run = Run()
    start = time.monotonic()
    d.post_click(101)
    while time.monotonic() - start < timeout:
        try:
            if d.text(102) == "Close":
                run.seconds = time.monotonic() - start
                return run
            _note(run.files, d.text(500))
            _note(run.links, d.text(505))
            if run.links and run.links[-1] == "Success" and run.bars is None:
                run.bars = (d.progress(501), d.progress(506))
        except DriverError:
            pass  # the progress page went between two reads
    raise AssertionError("no finish page within %d s; last seen %r %r"
                         % (timeout, run.files[-3:], run.links[-3:]))


# -- the checks

class InstallChecks:
    """Checks of an installed product, mixed into the scenario classes."""

    def check_run(self, run, install_dir, rows, label):
        targets = [self._target(install_dir, r) for r in rows]
        names = [n for n, _, _ in LINKS]
        for seen, want, what in ((run.files, targets, "file path"), (run.links, names, "link name")):
            self.assertEqual("Success", seen[-1], seen)
            shown = self._complete(seen[:-1], want)
            self.assertTrue(shown, "no %s seen while the run worked: %r" % (what, seen))
            self.assertEqual(shown, sorted(shown, key=want.index), "in table order")
        self.assertEqual(((8, 0, 8), (5, 0, 5)), run.bars, "both bars full at the end")
        print("%s: the run took %.2f s from the progress page to the finish page "
              "(the fixed pauses alone: %.2f s)" % (label, run.seconds, FIXED_PAUSES))

    def _complete(self, seen, want):
        """The texts seen that are expected ones. A text read while the page replaced it can come
        back cut short (the driver asks for its length, then for the text); any other is wrong."""
        for text in seen:
            self.assertTrue(any(w.startswith(text) for w in want), "unexpected status text %r" % text)
        return [t for t in seen if t in want]

    @staticmethod
    def _target(install_dir, resource):
        folder = WINDOWS_DIR if resource == "CLEANUP" else install_dir
        return folder + "\\" + FILE_NAMES[resource]

    def check_finish_page(self, d):
        self.assertEqual(0, d.state(101)["visible"], "Continue hidden")
        self.assertEqual("Close", d.text(102))
        self.assertEqual(FINISH_TEXT, d.text(600))
        self.assertEqual(welcome_text(), d.text(601))
        self.assertEqual(RUN_ON_EXIT_TEXT, d.text(602))
        self.assertEqual(0, d.state(602)["checked"])

    def check_files(self, s, install_dir, rows, tz):
        want = stamp_epoch(tz)
        for resource in rows:
            with self.subTest(file=FILE_NAMES[resource], resource=resource):
                path = s.unix_path(self._target(install_dir, resource))
                st = path.stat()  # before the read below moves the access time
                self.assertEqual(want, st.st_mtime, "last-write time")
                self.assertEqual(want, st.st_atime, "last-access time")
                self.assertEqual(payload_file(resource).read_bytes(), path.read_bytes())

    def check_links(self, s, install_dir, all_users):
        programs, desktop = link_folders(s, all_users)
        other = link_folders(s, not all_users)
        want = {}
        for name, file_name, in_install in LINKS:
            folder = install_dir if in_install else WINDOWS_DIR
            want[programs + "\\" + GROUP + "\\" + name + ".lnk"] = (folder + "\\" + file_name, folder, name)
        want[desktop + "\\Quillith.lnk"] = (install_dir + "\\Quillith.exe", install_dir, "Quillith")
        for path, (target, work, description) in want.items():
            with self.subTest(link=path):
                info = read_link(s, path)
                self.assertEqual((target, work, description),
                                 (info["Local path"], info["Working directory"], info["Description"]))
        found = all_links(s)
        self.assertEqual(sorted(p.lower() for p in want), sorted(p.lower() for p in found),
                         "no links elsewhere (%s folders hold none)" % ("per-user" if all_users else "all-users"))
        self.assertFalse(any(p.lower().startswith(f.lower()) for p in found for f in other))

    def check_registry(self, s, install_dir):
        self.assertEqual({PRODUCT: install_dir}, reg_values(s, PRODUCT_KEY))
        self.assertEqual({"Version": "5.00"}, reg_values(s, PRODUCT_KEY + "\\" + PRODUCT))
        self.assertEqual({
            "DisplayName": "Quillith",
            "DisplayVersion": "v5.00",
            "UninstallString": WINDOWS_DIR + "\\QLRemove.exe",
            "Program Path": install_dir,
            "Program Group": GROUP,
            "Publisher": "YLTERA",
            "HelpLink": "http://www.yltera.com/support.html",
        }, reg_values(s, UNINSTALL_KEY))

    def check_installed(self, s, d, run, install_dir, cls, all_users, tz, label):
        rows = ROWS_XP if cls in (2, 3) else ROWS_98
        self.check_run(run, install_dir, rows, label)
        self.check_finish_page(d)
        self.check_files(s, install_dir, rows, tz)
        self.check_links(s, install_dir, all_users)
        self.check_registry(s, install_dir)


def programs_started(s, file_name):
    """(Windows image path, host working folder) of every process of this prefix whose image is
    file_name. Wine names a process by its Windows path and keeps its current folder as the host
    process's own."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            argv0 = Path("/proc", pid, "cmdline").read_bytes().split(b"\0")[0].decode("latin-1")
            env = Path("/proc", pid, "environ").read_bytes().split(b"\0")
            cwd = os.readlink(Path("/proc", pid, "cwd"))
        except OSError:
            continue
        if ("WINEPREFIX=%s" % s.prefix).encode() in env and argv0.lower().endswith("\\" + file_name.lower()):
            found.append((argv0, cwd))
    return found


def visible_windows(d):
    return set(d.windows(any_process=True))


class InstallOnEachClass(unittest.TestCase, InstallChecks):
    def install(self, version, cls, tz, scope=None):
        s = self.session
        d = open_wizard(s, version)
        to_destination(d)
        self.assertEqual(DEFAULT_DIR, d.text(401))
        run = run_installation(d, scope=scope)
        all_users = cls != 0 and scope != SINGLE_USER
        self.check_installed(s, d, run, DEFAULT_DIR, cls, all_users, tz, "class %d (%s)" % (cls, version))
        return d

    def test_class_0_per_user_and_run_on_exit(self):
        with WineSession(self.id(), tz="Europe/Berlin") as s:
            self.session = s
            d = self.install("win98", 0, "Europe/Berlin")
            before = visible_windows(d)
            d.click(602)
            self.assertEqual(1, d.state(602)["checked"])
            d.click(102)
            self.assertEqual(1, d.wait_exit())
            # The installed program's window comes up once the wizard has gone.
            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and not (visible_windows(d) - before):
                time.sleep(0.2)
            started = visible_windows(d) - before
            self.assertEqual(1, len(started), "one window of the started program")
            self.assertIn(PRODUCT, started.pop())
            self.assertEqual([(DEFAULT_DIR + r"\Quillith.exe", str(s.unix_path(DEFAULT_DIR)))],
                             programs_started(s, "Quillith.exe"), "the installed file, in its folder")

    def test_class_1_single_user_and_run_on_exit_cleared(self):
        with WineSession(self.id(), tz="America/New_York") as s:
            self.session = s
            d = self.install("win7", 1, "America/New_York", scope=SINGLE_USER)
            before = visible_windows(d)
            d.click(602)
            d.click(602)
            self.assertEqual(0, d.state(602)["checked"])
            d.click(102)
            self.assertEqual(1, d.wait_exit())
            time.sleep(3)
            self.assertEqual(set(), visible_windows(d) - before, "something was started")
            self.assertEqual([], programs_started(s, "Quillith.exe"))

    def test_class_2_all_users(self):
        with WineSession(self.id(), tz="Asia/Tokyo") as self.session:
            d = self.install("winxp", 2, "Asia/Tokyo")
            d.click(102)
            self.assertEqual(1, d.wait_exit())

    def test_class_3_all_users(self):
        with WineSession(self.id(), tz="UTC") as self.session:
            d = self.install("vista", 3, "UTC")
            d.click(102)
            self.assertEqual(1, d.wait_exit())

    def test_overhead_beside_the_payload(self):
        """Printed figure: setup.exe's size minus its payload streams, for both builds."""
        for build in ("win32", "win64"):
            exe = BUILD.parent / build / "setup.exe"
            if not exe.exists():
                continue
            size, streams = exe.stat().st_size, payload_stream_bytes(exe)
            self.assertEqual(PAYLOAD_STREAMS, streams, "the eight payload streams of %s" % build)
            print("%s setup.exe: %d bytes, %d of them beside the payload streams"
                  % (build, size, size - streams))


if __name__ == "__main__":
    unittest.main()
