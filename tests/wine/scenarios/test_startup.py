import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402

DEFAULT_FOLDER = r"C:\Program Files\Yltera\Quillith"
REMOVER = r"C:\Windows\QLRemove.exe"


def regtest(s, *args):
    r = s.run([s.prog("regtest")] + list(args), timeout=60)
    if r.returncode != 0:
        raise AssertionError("regtest %s: exit %d\n%s" % (args[0], r.returncode, r.stdout))
    return dict(line.split("=", 1) for line in r.stdout.splitlines() if "=" in line)


class StartUp(unittest.TestCase):
    def test_fresh_prefix(self):
        with WineSession(self.id()) as s:
            got = regtest(s, "init", "probe=" + REMOVER)
            # Wine reports its folders in lower case; start-up title-cases them.
            self.assertEqual(r"C:\Windows", got["WindowsDir"])
            self.assertEqual(r"C:\Windows\System32", got["SystemDir"])
            self.assertEqual(DEFAULT_FOLDER, got["InstallDir"])
            self.assertEqual("0", got["NotAdministrator"])
            # None of the product's files exist yet.
            self.assertEqual("2", got["open_error"])
            self.assertEqual("0", got["FilesInUse"])

            # The cached GDI objects are deleted and their handles cleared; an empty slot is
            # skipped, and a second release finds nothing left.
            gdi = regtest(s, "gdi")
            self.assertEqual("7,6", gdi["before"])  # OBJ_BITMAP, OBJ_FONT
            self.assertEqual("0,0", gdi["after"])
            self.assertEqual("0,0,0", gdi["handles"])

            # The pause of the passes: a duration of 0 handles one waiting message; a longer one
            # handles every message of the window and its child for the whole time, and leaves
            # the messages of other windows waiting.
            pump = regtest(s, "pump")
            self.assertEqual("1,0,0", pump["pump0"])
            self.assertEqual("3,1,0", pump["pump100"])
            self.assertEqual("1", pump["pump100_full"])
            self.assertEqual("1", pump["other_waiting"])

            # PathExists holds for a file and for a folder.
            exists = regtest(s, "exists", REMOVER, r"C:\Windows", r"C:\Windows\System32\kernel32.dll")
            self.assertEqual(("0", "1", "1"), (exists["exists1"], exists["exists2"], exists["exists3"]))


class FilesInUse(unittest.TestCase):
    def test_files_held_open_by_another_program(self):
        with WineSession(self.id()) as s:
            remover = s.unix_path(r"C:\windows\QLRemove.exe")
            remover.write_bytes(b"MZ")

            # Present but free: opened, closed, not in use.
            self.assertEqual("0", regtest(s, "init")["FilesInUse"])
            # Held open without sharing by a second process.
            self.assertEqual("1", regtest(s, "init", "hold=" + REMOVER)["FilesInUse"])
            self.assertEqual("0", regtest(s, "init")["FilesInUse"], "released again")

            # Read-only: refused with access denied, which is not "in use". Wine runs as root
            # here, so the host's immutable flag makes the read-only attribute stick.
            regtest(s, "attrib", REMOVER, "readonly")
            if subprocess.run(["chattr", "+i", str(remover)], capture_output=True).returncode == 0:
                try:
                    got = regtest(s, "init", "probe=" + REMOVER)
                finally:
                    subprocess.run(["chattr", "-i", str(remover)], check=True)
                self.assertEqual("5", got["open_error"])
                self.assertEqual("0", got["FilesInUse"])
            regtest(s, "attrib", REMOVER, "normal")

            # A folder in place of the file: access denied as well.
            remover.unlink()
            remover.mkdir()
            got = regtest(s, "init", "probe=" + REMOVER)
            self.assertEqual("5", got["open_error"])
            self.assertEqual("0", got["FilesInUse"])

    def test_only_rows_of_the_running_windows_are_probed(self):
        # The two builds of the main program share one file name; the test program gives them
        # distinct ones ("split") so that it shows which row was opened.
        cases = [("win7", "Quillith98.exe", "1"), ("win7", "QuillithXP.exe", "0"),
                 ("winxp", "Quillith98.exe", "0"), ("winxp", "QuillithXP.exe", "1")]
        with WineSession(self.id()) as s:
            folder = s.unix_path(DEFAULT_FOLDER)
            folder.mkdir(parents=True)
            for name in ("Quillith98.exe", "QuillithXP.exe"):
                (folder / name).write_bytes(b"MZ")
            for version, held, in_use in cases:
                with self.subTest(version=version, held=held):
                    s.set_windows_version("regtest.exe", version)
                    got = regtest(s, "init", "split", "hold=%s\\%s" % (DEFAULT_FOLDER, held))
                    self.assertEqual({"win7": "1", "winxp": "2"}[version], got["class"])
                    self.assertEqual(in_use, got["FilesInUse"])


if __name__ == "__main__":
    unittest.main()
