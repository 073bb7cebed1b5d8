"""The shortcut pass on its own (tests/wine/progs/run_links.cpp): what it does when COM is already
initialised, when the Start-menu folder cannot be resolved, and when a link path would not fit.
"""
import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WINE, WineSession  # noqa: E402

import test_install as common  # noqa: E402

INSTALL_DIR = r"C:\Apps\Quillith"
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"


def run_links(s, mode):
    """Runs the pass from C:\\, so that a link made below a bare backslash would land in C:\\."""
    r = subprocess.run([WINE, str(s.prog("run_links")), mode, INSTALL_DIR], env=s.env,
                       cwd=str(s.prefix / "drive_c"), capture_output=True, text=True, encoding="latin-1",
                       timeout=120)
    out = r.stdout
    result = {"result": int(re.search(r"^result (\d+)", out, re.M).group(1)),
              "status": re.search(r"^status \[(.*)\]", out, re.M).group(1),
              "bar": tuple(int(x) for x in re.search(r"^bar (-?\d+) (-?\d+) (-?\d+)", out, re.M).groups()),
              "small": re.search(r"^small (\d) \[(.*)\]", out, re.M).groups(),
              "coinit-after": int(re.search(r"^coinit-after (-?\d+)", out, re.M).group(1))}
    return result, out


def deep_folder(length):
    """A folder path of exactly length characters: C:\\ and parts of at most 50 characters."""
    path = "C:"
    while len(path) < length:
        part = min(50, length - len(path) - 1)
        path += "\\" + "d" * part
    return path


class ShortcutPass(unittest.TestCase):
    def test_refusals_and_skipped_links(self):
        with WineSession(self.id()) as s:
            programs, desktop = common.link_folders(s, False)

            with self.subTest("COM already initialised on the thread"):
                r, out = run_links(s, "busy")
                self.assertEqual(0, r["result"], out)
                self.assertEqual("", r["status"], "the page is not touched")
                self.assertEqual((0, 0, 100), r["bar"], "the bar keeps its initial range")
                self.assertEqual([], common.all_links(s))
                self.assertEqual(1, r["coinit-after"], "the pass left the caller's COM alone")

            with self.subTest("a folder that does not fit the caller's buffer is given as none"):
                self.assertEqual(("1", ""), r["small"])

            with self.subTest("Start-menu folder that cannot be resolved"):
                s.reg("add", SHELL_FOLDERS, "/v", "Programs", "/t", "REG_EXPAND_SZ", "/d",
                      r"C:\missing\Programs", "/f")
                r, out = run_links(s, "user")
                self.assertEqual(1, r["result"], out)
                self.assertEqual("Success", r["status"])
                self.assertEqual((5, 0, 5), r["bar"], "every group row still steps the bar")
                self.assertEqual([desktop + r"\Quillith.lnk"], common.all_links(s))
                self.assertFalse((s.prefix / "drive_c" / "YLTERA").exists(), "nothing below a bare backslash")
                self.assertFalse((s.prefix / "drive_c" / "missing").exists())
                self.assertEqual(0, r["coinit-after"], "COM was uninitialised at the end")

            with self.subTest("link paths that would not fit are skipped, not cut"):
                # 228 characters: the group folder and four links fit in 259 characters,
                # "...\YLTERA\Quillith\Yltera Online.lnk" needs 262.
                deep = deep_folder(228)
                self.assertEqual(228, len(deep))
                s.unix_path(deep).mkdir(parents=True)
                s.reg("add", SHELL_FOLDERS, "/v", "Programs", "/t", "REG_EXPAND_SZ", "/d", deep, "/f")
                r, out = run_links(s, "user")
                self.assertEqual(1, r["result"], out)
                self.assertEqual(("Success", (5, 0, 5)), (r["status"], r["bar"]))
                group = s.unix_path(deep + "\\" + common.GROUP)
                self.assertEqual(["Help.lnk", "Quillith.lnk", "Remove.lnk", "Update.lnk"],
                                 sorted(p.name for p in group.iterdir()))
                info = common.read_link(s, deep + "\\" + common.GROUP + r"\Remove.lnk")
                self.assertEqual(r"C:\Windows\QLRemove.exe", info["Local path"])


if __name__ == "__main__":
    unittest.main()
