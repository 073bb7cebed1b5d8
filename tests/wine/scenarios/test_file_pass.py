"""The file installation pass, run for real on the progress page by tests/wine/progs/filepass.cpp:
the files each Windows version gets, their bytes and time stamps, the clearing of an existing
install folder, and every way a row can fail."""
import datetime
import os
import subprocess
import sys
import unittest
import zoneinfo

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import BUILD, WINDOWS_VERSIONS, WineSession, payload_file  # noqa: E402

import test_wizard_templates as templates  # noqa: E402

CAPTION = "YLTERA Setup"
MESSAGE = "Unable to create destination file!\r\nInstallation will now be aborted."
STAMP = (2010, 2, 1, 3, 0, 0)  # local time of the machine
SYSTEM_DIR = r"C:\windows\system32"
# Row by row: file name, resource, and whether it goes to the Windows folder.
ROWS = [("QLRemove.exe", "CLEANUP", True), ("Quillith.exe", "PROGRAM_98", False),
        ("Quillith.exe", "PROGRAM_XP", False), ("Quillith.chm", "PROGRAMHLP", False),
        ("QLUpdate.exe", "UPDATER", False), ("Yltera Online.url", "WEBLINK", False),
        ("Purchase.txt", "ORDER", False), ("Pricing.txt", "REGINFO", False)]
SKIPPED_ROW = {0: 2, 1: 2, 2: 1, 3: 1}  # the build of Quillith.exe that a class does not get


def parse_report(text):
    """result, (bar position, low, high), status, {path: (creation, access, write)}"""
    out = {"times": {}}
    for line in text.splitlines():
        word, _, rest = line.partition(" ")
        if word == "result":
            out["result"] = int(rest)
        elif word == "bar":
            out["bar"] = tuple(int(x) for x in rest.split())
        elif word == "status":
            out["status"] = rest
        elif word == "time":
            path, c, a, w = rest.rsplit(" ", 3)
            out["times"][path] = (c, a, w)
    return out


def expected_stamp(tz):
    """FileTime read as local time in tz, in UTC: as GetFileTime formats it, and as a Unix time."""
    t = datetime.datetime(*STAMP, tzinfo=zoneinfo.ZoneInfo(tz))
    return t.astimezone(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%S"), t.timestamp()


def run_pass(s, install_dir, windows_dir, *options):
    """A pass that succeeds (no message box): the parsed report."""
    r = s.run([s.prog("filepass")] + list(options) + [install_dir, windows_dir, SYSTEM_DIR], timeout=60)
    report = parse_report(r.stdout)
    report["code"] = r.returncode
    return report


def run_failing_pass(s, d, install_dir, windows_dir, *options):
    """A pass that shows the message: the report, plus the message box and what the page showed
    while it was up."""
    report_path = r"C:\filepass-report.txt"
    args = ["-o", report_path] + list(options) + [install_dir, windows_dir, SYSTEM_DIR]
    d.start(s.prog("filepass"), " ".join('"%s"' % a for a in args))
    box = d.msgbox(timeout=30000)
    d.wait_window(title="File pass")
    during = {"status": d.text(500), "bar": d.progress(501)}
    d.msgbox()
    d.answer(1)
    code = d.wait_exit(timeout=20000)
    report = parse_report(s.unix_path(report_path).read_text(encoding="latin-1"))
    s.unix_path(report_path).unlink()
    report.update(code=code, box=box, during=during)
    return report


def make_tree(root, files=(), folders=()):
    root.mkdir(parents=True, exist_ok=True)
    for f in folders:
        (root / f).mkdir(parents=True, exist_ok=True)
    for f in files:
        (root / f).parent.mkdir(parents=True, exist_ok=True)
        (root / f).write_text("old " + f)


class FilePass(unittest.TestCase):
    def check_written(self, s, report, install_dir, windows_dir, cls, tz):
        self.assertEqual(1, report["result"])
        self.assertEqual(0, report["code"])
        self.assertEqual((8, 0, 8), report["bar"], "every row steps the bar")
        self.assertEqual("Success", report["status"])
        stamp_text, stamp_unix = expected_stamp(tz)
        written = [r for i, r in enumerate(ROWS) if i != SKIPPED_ROW[cls]]
        self.assertEqual(7, len(report["times"]), report["times"])
        # Times first: reading the bytes would move the access time.
        for name, resource, to_windows in written:
            path = (windows_dir if to_windows else install_dir) + "\\" + name
            self.assertEqual((stamp_text,) * 3, report["times"].get(path), path)
            st = s.unix_path(path).stat()
            self.assertEqual((stamp_unix, stamp_unix), (st.st_mtime, st.st_atime), path)
        for name, resource, to_windows in written:
            path = (windows_dir if to_windows else install_dir) + "\\" + name
            self.assertEqual(payload_file(resource).read_bytes(), s.unix_path(path).read_bytes(), "%s from %s" % (path, resource))
        installed = sorted(p.name for p in s.unix_path(install_dir).iterdir())
        self.assertEqual(sorted(n for n, _, w in written if not w), installed)

    def test_each_version_class_gets_its_files(self):
        with WineSession(self.id(), tz="UTC") as s:
            for cls, version in sorted(WINDOWS_VERSIONS.items()):
                with self.subTest(cls=cls, version=version):
                    s.set_windows_version("filepass.exe", version)
                    windows_dir = r"C:\Win%d" % cls
                    s.unix_path(windows_dir).mkdir()
                    install_dir = r"C:\Program Files\Yltera\Class %d\Quillith" % cls
                    report = run_pass(s, install_dir, windows_dir)
                    self.check_written(s, report, install_dir, windows_dir, cls, "UTC")

    def test_time_stamp_in_a_zone_with_an_offset(self):
        with WineSession(self.id(), tz="Asia/Tokyo") as s:
            report = run_pass(s, r"C:\Quillith", r"C:\windows")
            self.check_written(s, report, r"C:\Quillith", r"C:\windows", 1, "Asia/Tokyo")
            self.assertEqual("2010-01-31T18:00:00", report["times"][r"C:\Quillith\Quillith.exe"][2])

    def test_install_folder_is_cleared_or_created(self):
        with WineSession(self.id()) as s:
            root = s.unix_path(r"C:\Q")
            outside = s.unix_path(r"C:\Outside")
            make_tree(root, files=["old.txt", "Quillith.exe", "read-only.txt", r"sub/b.txt",
                                   r"sub/deeper/read-only.dll", r".hidden/kept.txt"],
                      folders=["empty"])
            make_tree(outside, files=["kept.txt"])
            (root / "linked").symlink_to(outside)
            for f in ("read-only.txt", "sub/deeper/read-only.dll"):
                os.chmod(root / f, 0o444)  # Wine's read-only attribute
            report = run_pass(s, r"C:\Q", r"C:\windows")
            self.assertEqual(1, report["result"])
            left = sorted(str(p.relative_to(root)) for p in root.rglob("*") if not p.is_symlink())
            product = ["Pricing.txt", "Purchase.txt", "QLUpdate.exe", "Quillith.chm", "Quillith.exe",
                       "Yltera Online.url"]
            self.assertEqual(sorted(product + [".hidden", ".hidden/kept.txt", "empty", "sub", "sub/deeper"]),
                             left, "old files deleted, folders kept, the '.' folder untouched")
            self.assertEqual("old kept.txt", (outside / "kept.txt").read_text(),
                             "a linked folder is not followed")
            self.assertTrue((root / "linked").is_symlink())

            # A missing install folder is created with its parents.
            report = run_pass(s, r"C:\New\Deep\Er\Quillith", r"C:\windows")
            self.assertEqual(1, report["result"])
            self.assertEqual(6, len(list(s.unix_path(r"C:\New\Deep\Er\Quillith").iterdir())))

    def test_folder_chain(self):
        """CreateFolderChain alone: outermost first, a trailing backslash, and paths it leaves alone."""
        with WineSession(self.id()) as s:
            c = s.unix_path("C:\\")
            make_tree(c / "Chain", files=["file"])
            too_long = "C:\\Long\\" + "x" * 252  # 260 characters: refused, not cut
            r = s.run([s.prog("filepass"), "-c", "C:\\", r"C:\Chain\A\B\C", "C:\\Chain\\T\\U\\",
                       r"C:\Chain\file\sub", too_long], timeout=60)
            self.assertEqual(0, r.returncode, r.stderr)
            self.assertTrue((c / "Chain" / "A" / "B" / "C").is_dir())
            self.assertTrue((c / "Chain" / "T" / "U").is_dir(), "a trailing backslash")
            self.assertEqual("old file", (c / "Chain" / "file").read_text(), "a file in the way stays")
            self.assertFalse((c / "Long").exists(), "a path too long for its buffer creates nothing")

    def test_failing_rows(self):
        with WineSession(self.id()) as s:
            d = s.driver()
            work = s.unix_path("C:\\")

            def check_failed(report, failing_path, stepped, written, not_written):
                self.assertEqual((CAPTION, MESSAGE), report["box"])
                self.assertEqual(failing_path, report["during"]["status"], "the message comes first")
                self.assertEqual(stepped, report["during"]["bar"][0])
                self.assertEqual((0, "", (stepped, 0, 8)), (report["result"], report["status"], report["bar"]),
                                 "false, status emptied, the failing row not stepped")
                self.assertEqual(1, report["code"])
                for p in written:
                    self.assertTrue(s.unix_path(p).exists(), p)
                for p in not_written:
                    self.assertFalse(s.unix_path(p).exists(), p)

            with self.subTest("read-only file in the Windows folder"):
                make_tree(work / "W1", files=["QLRemove.exe"])
                remover = work / "W1" / "QLRemove.exe"
                os.chmod(remover, 0o444)
                # Root may write any file, and Wine with it; the immutable flag makes the file as
                # unwritable for root as the read-only attribute makes it for a user.
                if subprocess.run(["chattr", "+i", str(remover)], capture_output=True).returncode != 0:
                    self.skipTest("the host cannot make a file immutable here")
                try:
                    report = run_failing_pass(s, d, r"C:\I1", r"C:\W1")
                finally:
                    subprocess.run(["chattr", "-i", str(remover)])
                check_failed(report, r"C:\W1\QLRemove.exe", 0, [], [r"C:\I1\Quillith.exe"])
                self.assertEqual("old QLRemove.exe", remover.read_text())

            with self.subTest("file held open without sharing"):
                make_tree(work / "I2", files=["Quillith.chm"])
                make_tree(work / "W2")
                holder = s.start([s.prog("holdfile"), r"C:\I2\Quillith.chm"])
                try:
                    self.assertEqual("holding", holder.stdout.readline().strip())
                    report = run_failing_pass(s, d, r"C:\I2", r"C:\W2")
                finally:
                    holder.kill()
                    holder.wait()
                    holder.stdout.close()
                check_failed(report, r"C:\I2\Quillith.chm", 3, [r"C:\W2\QLRemove.exe", r"C:\I2\Quillith.exe"],
                             [r"C:\I2\QLUpdate.exe", r"C:\I2\Pricing.txt"])

            with self.subTest("install folder names a file"):
                make_tree(work / "P", files=["Quillith", "other.txt"])
                make_tree(work / "W3")
                report = run_failing_pass(s, d, r"C:\P\Quillith", r"C:\W3")
                check_failed(report, r"C:\P\Quillith\Quillith.exe", 1, [r"C:\W3\QLRemove.exe"], [])
                self.assertEqual("old other.txt", (work / "P" / "other.txt").read_text(), "nothing cleared")
                self.assertEqual("old Quillith", (work / "P" / "Quillith").read_text())

            with self.subTest("path too long for its buffer"):
                long_dir = "C:\\" + "L" * 247  # 250 characters: the folder fits, its files do not
                make_tree(work / "W4")
                report = run_failing_pass(s, d, long_dir, r"C:\W4")
                check_failed(report, "", 1, [r"C:\W4\QLRemove.exe"], [])
                self.assertEqual([], list(s.unix_path(long_dir).iterdir()))

            with self.subTest("payload resource missing"):
                make_tree(work / "W5")
                report = run_failing_pass(s, d, r"C:\I5", r"C:\W5", "-r", "6", "NOSUCHRES")
                check_failed(report, r"C:\I5\Purchase.txt", 6, [r"C:\I5\Yltera Online.url"],
                             [r"C:\I5\Purchase.txt", r"C:\I5\Pricing.txt"])

            with self.subTest("payload resource shorter than its row"):
                make_tree(work / "W6")
                report = run_failing_pass(s, d, r"C:\I6", r"C:\W6", "-p", "7", "556")
                check_failed(report, r"C:\I6\Pricing.txt", 7, [r"C:\I6\Purchase.txt"], [r"C:\I6\Pricing.txt"])

    def test_full_disk(self):
        with WineSession(self.id()) as s:
            with s.small_drive("e", "100k") as disk:
                s.unix_path(r"C:\W").mkdir()
                d = s.driver()
                report = run_failing_pass(s, d, r"E:\Quillith", r"C:\W")
                self.assertEqual((CAPTION, MESSAGE), report["box"])
                self.assertEqual((0, "", (1, 0, 8)), (report["result"], report["status"], report["bar"]))
                self.assertTrue(s.unix_path(r"C:\W\QLRemove.exe").exists())
                # Quillith.exe (172 KB) does not fit on the 100 KB disk, and nothing of it is left.
                self.assertEqual([], list((disk / "Quillith").iterdir()), "no partial file")

class ProgressTemplate(unittest.TestCase):
    def test_template_1005_control_by_control(self):
        ctrl, icon, group = 0x50000000, 0x50000003, 0x50000007
        want = [(0xFFFF, "BUTTON", 0, 0, 317, 61, group, "File Setup Progress:"),
                (0xFFFF, "STATIC", 10, 15, 20, 20, icon, "#101"),
                (0xFFFF, "STATIC", 35, 23, 42, 8, ctrl, "Creating File:"),
                (500, "STATIC", 81, 23, 226, 10, ctrl, ""),
                (501, "MSCTLS_PROGRESS32", 10, 40, 297, 10, ctrl, ""),
                (0xFFFF, "BUTTON", 0, 65, 317, 61, group, "Shortcut Setup Progress:"),
                (0xFFFF, "STATIC", 10, 80, 20, 20, icon, "#102"),
                (0xFFFF, "STATIC", 35, 88, 58, 8, ctrl, "Creating Shortcut:"),
                (505, "STATIC", 97, 88, 210, 10, ctrl, ""),
                (506, "MSCTLS_PROGRESS32", 10, 105, 297, 10, ctrl, "")]
        head, controls = templates.parse_dialog(templates.dialog_resources(BUILD / "setup.exe")[1005])
        self.assertEqual((0x50000444, 0, 0, 0, 318, 150, "", "", "", (8, "MS Sans Serif")), head)
        # Class names compare without case, as Windows looks them up.
        got = [(c[:1] + (c[1].upper(),) + c[2:], ex) for c, ex in controls]
        self.assertEqual([(c, 0) for c in want], got)


if __name__ == "__main__":
    unittest.main()
