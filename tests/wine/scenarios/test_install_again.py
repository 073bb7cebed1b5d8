"""An installation into a typed folder, then setup run a second time: it proposes that folder,
clears it and writes the product and its links again."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402

import test_install as common  # noqa: E402

TYPED = r"C:\Apps"
INSTALL_DIR = r"C:\Apps\Quillith"  # the product name is added to a folder that lacks it
OLD = 946684800  # 2000-01-01, older than anything the run writes


class InstallAgain(unittest.TestCase, common.InstallChecks):
    def test_typed_folder_then_reinstall(self):
        with WineSession(self.id(), tz="Europe/Berlin") as s:
            d = common.open_wizard(s, "winxp")
            common.to_destination(d)
            run = common.run_installation(d, folder=TYPED, scope=common.SINGLE_USER)
            self.check_installed(s, d, run, INSTALL_DIR, 2, False, "Europe/Berlin", "typed folder")
            d.click(102)
            self.assertEqual(1, d.wait_exit())

            # Between the runs: a file of the user's in the folder, one in a subfolder, a damaged
            # link and links that are visibly old.
            folder = s.unix_path(INSTALL_DIR)
            (folder / "notes.txt").write_bytes(b"mine")
            (folder / "old").mkdir()
            (folder / "old" / "cache.dat").write_bytes(b"x")
            links = [s.unix_path(p) for p in common.all_links(s)]
            self.assertEqual(6, len(links))
            for link in links:
                os.utime(link, (OLD, OLD))
            help_link = next(p for p in links if p.name == "Help.lnk")
            help_link.write_bytes(b"not a link")

            d = common.open_wizard(s, "winxp")
            common.to_destination(d)
            self.assertEqual(INSTALL_DIR, d.text(401), "the first run's folder is proposed")
            run = common.run_installation(d, scope=common.SINGLE_USER)
            self.check_installed(s, d, run, INSTALL_DIR, 2, False, "Europe/Berlin", "reinstall")
            self.assertFalse((folder / "notes.txt").exists(), "the install folder was cleared")
            self.assertEqual([], list((folder / "old").iterdir()), "subfolders are emptied and kept")
            for link in links:
                self.assertGreater(link.stat().st_mtime, OLD, "%s was written again" % link.name)
            d.click(102)
            self.assertEqual(1, d.wait_exit())


if __name__ == "__main__":
    unittest.main()
