"""The destination page through the real setup.exe: every refused folder shows its warning and keeps
the page, the folder browser can be left without harm, Enter in the folder box does nothing, and an
accepted folder is resolved before it moves the wizard on to the progress page."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.dirname(__file__))
from harness import WineSession  # noqa: E402
import test_wizard as wizard  # noqa: E402

PREFIX = "Path Invalid!\r\n\r\n"
EMPTY = "Path may not be empty!"
NO_DRIVE = "Missing : or \\ in drive."
ROOT = "Path may not be a root drive..."
TOO_LONG = "Path may not be longer than 259 characters with the program folder added..."

REFUSED = [
    ("", EMPTY),
    ("Quillith", NO_DRIVE),
    ("C:", NO_DRIVE),
    ("C:/x", NO_DRIVE),
    ("\\\\server\\share\\Apps", NO_DRIVE),
    ("C:\\", ROOT),
    # Well-formed as typed, but the root of the drive once '..' is resolved.
    ("C:\\Quillith\\..", ROOT),
    ("D:\\Apps\\..\\..", ROOT),
    # 252 characters: with "\Quillith" added, more than the 259 an install folder can hold.
    ("C:\\" + "a" * 249, TOO_LONG),
]


def open_destination(test, s, cls=1):
    wizard.prepare(s, cls)
    d = wizard.start_wizard(s)
    wizard.advance_to(test, d, 3)
    return d


class Destination(unittest.TestCase):
    def test_refused_folders_keep_the_page(self):
        with WineSession(self.id()) as s:
            d = open_destination(self, s)
            for typed, reason in REFUSED:
                with self.subTest(typed=typed):
                    d.set_text(401, typed)
                    d.click(101)
                    caption, text = d.msgbox(timeout=5000)
                    self.assertEqual((wizard.CAPTION, PREFIX + reason), (caption, text))
                    if typed == "C:\\Quillith\\..":
                        s.screenshot("refused_root")
                    d.answer(1)
                    d.wait_gone(title=wizard.CAPTION)
                    d.wait_window(title=wizard.TITLE)
                    self.assertEqual(3, wizard.page_of(d))
                    self.assertEqual(typed, d.text(401))
                    self.assertEqual({"enabled": 1, "visible": 1, "checked": 0}, d.state(101))
            d.click(102)
            self.assertEqual(1, d.wait_exit(timeout=5000))
            wizard.assert_nothing_installed(self, s)

    def test_browse_cancel_and_enter_change_nothing(self):
        with WineSession(self.id()) as s:
            d = open_destination(self, s)
            d.set_text(401, "D:\\Typed")
            d.click(402)
            d.wait_window(title="Browse for Folder", cls="#32770")
            self.assertIn("Select Install To Folder", [c["text"] for c in d.children()])
            s.screenshot("browse")
            d.answer(2)
            d.wait_gone(title="Browse for Folder")
            d.wait_window(title=wizard.TITLE)
            self.assertEqual("D:\\Typed", d.text(401))

            # Enter with the focus in the folder box: no push button has the focus, nothing happens.
            d.click(401)
            d.key("enter")
            time.sleep(0.3)
            self.assertEqual(3, wizard.page_of(d))
            self.assertEqual(1, len(d.windows()), "no message box")
            self.assertEqual("D:\\Typed", d.text(401))
            d.click(102)
            self.assertEqual(1, d.wait_exit(timeout=5000))

    def test_accepted_folder_is_resolved_and_moves_on(self):
        with WineSession(self.id()) as s:
            d = open_destination(self, s, cls=2)
            d.set_text(401, "C:\\Data\\Quillith\\..\\Other")
            d.click(101)
            wizard.wait_page(self, d, 4)
            self.assertEqual(0, d.state(101)["visible"])
            self.assertEqual("Cancel", d.text(102))
            s.screenshot("progress")
            # The installation uses the resolved folder with the name added.
            until = time.time() + 30
            while not s.unix_path("C:\\Data\\Other\\Quillith").is_dir() and time.time() < until:
                time.sleep(0.2)
            self.assertTrue(s.unix_path("C:\\Data\\Other\\Quillith").is_dir())
            self.assertFalse(s.unix_path("C:\\Data\\Quillith").exists())


if __name__ == "__main__":
    unittest.main()
