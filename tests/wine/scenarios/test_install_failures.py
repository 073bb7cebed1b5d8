"""An installation that fails or is cancelled: the user is told, the wizard closes, and nothing
beyond what was written before the failure is left: no shortcuts, no registration."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402

import test_install as common  # noqa: E402


class FailedInstallation(unittest.TestCase):
    def assert_aborted(self, s, d):
        """The file message, then the abort message, then the wizard closes."""
        self.assertEqual((common.CAPTION, common.FILE_MESSAGE), d.msgbox(timeout=30000))
        d.answer(1)
        self.assertEqual((common.CAPTION, common.ABORT_MESSAGE), d.msgbox(timeout=10000))
        d.answer(1)
        self.assertEqual(1, d.wait_exit())
        self.assert_no_links_no_registration(s)

    def assert_no_links_no_registration(self, s):
        self.assertEqual([], common.all_links(s))
        self.assertIsNone(common.reg_values(s, common.UNINSTALL_KEY))
        self.assertNotIn(common.PRODUCT, common.reg_values(s, common.PRODUCT_KEY) or {})

    def test_read_only_target_file(self):
        with WineSession(self.id()) as s:
            remover = s.unix_path(common.WINDOWS_DIR + r"\QLRemove.exe")
            remover.write_bytes(b"old remover")
            s.run(["attrib", "+r", common.WINDOWS_DIR + r"\QLRemove.exe"], check=True)
            # Root writes to any file whatever its mode, and Wine with it; the host's immutable flag
            # makes the file as unwritable for root as the read-only attribute makes it for a user.
            flagged = subprocess.run(["chattr", "+i", str(remover)], capture_output=True, text=True)
            if flagged.returncode != 0:
                self.skipTest("cannot make a file immutable here: " + flagged.stderr.strip())
            try:
                d = common.open_wizard(s, "win7")
                common.to_destination(d)
                d.post_click(101)
                self.assert_aborted(s, d)
                self.assertEqual(b"old remover", remover.read_bytes())
                self.assertFalse(s.unix_path(common.DEFAULT_DIR + r"\Quillith.exe").exists(),
                                 "no row after the failing one was written")
            finally:
                subprocess.run(["chattr", "-i", str(remover)])

    def test_full_disk(self):
        with WineSession(self.id()) as s, s.small_drive("e", "100k") as disk:
            d = common.open_wizard(s, "win7")
            common.to_destination(d)
            d.set_text(401, r"E:\Quillith")
            d.post_click(101)
            self.assert_aborted(s, d)
            # QLRemove.exe went to the Windows folder; Quillith.exe (172 KB) did not fit.
            self.assertTrue(s.unix_path(common.WINDOWS_DIR + r"\QLRemove.exe").exists())
            self.assertEqual([], sorted(p.name for p in (disk / "Quillith").iterdir()),
                             "no partial file is left behind")

    def test_cancel_before_the_run_starts(self):
        with WineSession(self.id()) as s:
            d = common.open_wizard(s, "win7")
            common.to_destination(d)
            started = time.monotonic()
            d.post_click(101)
            # The progress page is up; its timer fires 500 ms after it was created.
            self.assertIn(500, [c["id"] for c in d.children()])
            self.assertLess(time.monotonic() - started, 0.45, "too late to cancel before the timer")
            d.post_click(102)
            self.assertEqual(1, d.wait_exit())
            self.assertFalse(s.unix_path(common.DEFAULT_DIR).exists(), "nothing was installed")
            self.assertFalse(s.unix_path(common.WINDOWS_DIR + r"\QLRemove.exe").exists())
            self.assert_no_links_no_registration(s)


if __name__ == "__main__":
    unittest.main()
