"""The wizard's first three pages, through the real setup.exe, on every Windows version class:
the frame, the welcome page, the licence page and the destination page, and the ways out."""
import datetime
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import SOURCE_DIR, WINDOWS_VERSIONS, WineSession  # noqa: E402

TITLE = "YLTERA Quillith"
CAPTION = "YLTERA Setup"
DEFAULT_FOLDER = "C:\\Program Files\\Yltera\\Quillith"
DISK_SPACE = {0: "370 KB", 1: "370 KB", 2: "414 KB", 3: "414 KB"}
# The control that only each page has.
PAGE_MARKS = {1: 200, 2: 300, 3: 401, 4: 500, 5: 600}
INTRO = ("Welcome to the new YLTERA installation wizard. This setup utility will guide you through a few "
         "simple steps to install the YLTERA Quillith software on your computer. Click the Continue button "
         "below now to being...")
IN_USE = ("Setup has detected that one or more files it needs to replace are currently loaded in memory. It "
          "is strongly recommended that you quit all running programs and restart your computer before you "
          "continue.")
BANNER = ("YLTERA Setup Wizard for all versions of Microsoft Windows\r\n"
          "Copyright (C) 2010-%d YLTERA. All rights reserved.\r\n")
ACCEPT = "I accept the terms outlined in the EULA above and indicate so by placing a check here."


def resource_text(name):
    """A text resource as the wizard shows it: everything before its closing full-stop line."""
    with open(os.path.join(SOURCE_DIR, "resources", name), "rb") as f:
        data = f.read().decode("latin-1")
    return data[:data.index("\r\n.\r\n")]


def prepare(s, cls):
    """Makes the prefix report the Windows version of the class."""
    s.set_windows_version("setup.exe", WINDOWS_VERSIONS[cls])


def start_wizard(s):
    d = s.driver()
    d.start(s.setup_exe)
    d.wait_window(title=TITLE)
    return d


def controls(d):
    return {c["id"]: c for c in d.children()}


def page_of(d):
    ids = controls(d)
    pages = [n for n, mark in PAGE_MARKS.items() if mark in ids]
    return pages[0] if len(pages) == 1 else None


def wait_page(test, d, number, timeout=5.0):
    until = time.time() + timeout
    while page_of(d) != number and time.time() < until:
        time.sleep(0.1)
    test.assertEqual(number, page_of(d))


def advance_to(test, d, page):
    """From the welcome page on to the licence page (2) or the destination page (3)."""
    if page >= 2:
        d.click(101)
        wait_page(test, d, 2)
    if page >= 3:
        d.click(301)
        d.click(101)
        wait_page(test, d, 3)


def assert_nothing_installed(test, s):
    test.assertFalse(s.unix_path("C:\\Program Files\\Yltera").exists())
    test.assertFalse(s.unix_path("C:\\windows\\QLRemove.exe").exists())
    test.assertIsNone(s.reg_query(r"HKLM\Software\Yltera\Programs", "Quillith"))
    test.assertFalse(s.reg_key_exists(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillith"))


class Frame(unittest.TestCase):
    def check_frame(self, d):
        """Title, centred on the screen, the page exactly on the hidden placeholder, the buttons."""
        self.assertEqual(TITLE, d.text(0))
        left, top, right, bottom = d.rect(0)["window"]
        width, height = d.screen()
        self.assertEqual(((width - (right - left)) // 2, (height - (bottom - top)) // 2), (left, top))
        ids = controls(d)
        self.assertFalse(ids[100]["visible"])
        page = [c for c in d.children() if c["class"] == "#32770"]
        self.assertEqual(1, len(page))
        self.assertEqual(ids[100]["rect"], page[0]["rect"])
        self.assertTrue(page[0]["visible"])
        self.assertEqual("Cancel" if page_of(d) < 5 else "Close", d.text(102))
        self.assertEqual({"enabled": 1, "visible": 1, "checked": 0}, d.state(102))

    def check_no_way_out(self, d, page):
        """Esc, Alt+F4 and the close box neither end the wizard nor change the page."""
        for action in (lambda: d.key("esc"), lambda: d.key("altf4"), d.close):
            action()
            time.sleep(0.2)
            self.assertTrue(d.running())
            self.assertEqual(page, page_of(d))

    def test_pages_one_to_three_on_every_class(self):
        year = datetime.date.today().year
        for cls in range(4):
            with self.subTest(cls=cls), WineSession("%s_class%d" % (self.id(), cls)) as s:
                prepare(s, cls)
                d = start_wizard(s)

                # Welcome: banner with this year, the introduction, no special instruction.
                self.assertEqual(1, page_of(d))
                self.check_frame(d)
                self.assertEqual(BANNER % year, d.text(202))
                self.assertEqual("Introduction To Setup:", d.text(203))
                self.assertEqual(INTRO, d.text(204))
                self.assertEqual(0, d.state(205)["visible"])
                self.assertEqual("", d.text(206))
                self.assertEqual(1, d.state(101)["enabled"])
                self.check_no_way_out(d, 1)
                s.screenshot("class%d_welcome" % cls)

                # Licence: the text without its closing line; Continue follows the box.
                d.click(101)
                wait_page(self, d, 2)
                self.check_frame(d)
                self.assertEqual(resource_text("LICENSE.txt"), d.text(300))
                self.assertEqual(ACCEPT, d.text(301))
                self.assertEqual({"enabled": 0, "visible": 1, "checked": 0}, d.state(101))
                self.assertEqual(0, d.state(301)["checked"])
                d.click(301)
                self.assertEqual(1, d.state(301)["checked"])
                self.assertEqual(1, d.state(101)["enabled"])
                s.screenshot("class%d_license" % cls)
                d.click(301)
                self.assertEqual(0, d.state(301)["checked"])
                self.assertEqual(0, d.state(101)["enabled"])
                # A Continue that arrives while the box is clear changes nothing.
                d.call("command", 101)
                self.assertEqual(2, page_of(d))
                self.check_no_way_out(d, 2)
                d.click(301)
                d.click(101)
                wait_page(self, d, 3)

                # Destination: default folder, disk space, shortcut scope.
                self.check_frame(d)
                self.assertEqual(DEFAULT_FOLDER, d.text(401))
                self.assertEqual(DISK_SPACE[cls], d.text(404))
                self.assertEqual({"enabled": 1, "visible": 1, "checked": 0}, d.state(101))
                scope = [d.state(i) for i in (405, 406, 407)]
                if cls == 0:
                    self.assertEqual([0, 0, 0], [st["visible"] for st in scope])
                else:
                    self.assertEqual([1, 1, 1], [st["visible"] for st in scope])
                    self.assertEqual([0, 1], [scope[1]["checked"], scope[2]["checked"]])
                s.screenshot("class%d_destination" % cls)
                if cls != 0:
                    d.click(406)
                    self.assertEqual([1, 0], [d.state(406)["checked"], d.state(407)["checked"]])
                d.set_text(401, "D:\\Somewhere else")
                d.click(403)
                self.assertEqual(DEFAULT_FOLDER, d.text(401))
                self.check_no_way_out(d, 3)

                # Cancel ends the program at once; nothing was installed.
                d.click(102)
                self.assertEqual(1, d.wait_exit(timeout=5000))
                assert_nothing_installed(self, s)

    def test_cancel_on_each_page_ends_at_once(self):
        with WineSession(self.id()) as s:
            prepare(s, 1)
            for page in (1, 2, 3):
                with self.subTest(page=page):
                    d = start_wizard(s)
                    advance_to(self, d, page)
                    d.click(102)
                    self.assertEqual(1, d.wait_exit(timeout=5000))
                    assert_nothing_installed(self, s)

    def test_file_held_open_leaves_only_cancel(self):
        with WineSession(self.id()) as s:
            prepare(s, 1)
            holder = s.start([s.prog("holdfile"), "C:\\windows\\QLRemove.exe"])
            try:
                self.assertEqual("holding", holder.stdout.readline().strip())
                d = start_wizard(s)
                self.assertEqual("Special Instructions:", d.text(205))
                self.assertEqual(1, d.state(205)["visible"])
                self.assertEqual(IN_USE, d.text(206))
                self.assertEqual(0, d.state(101)["enabled"])
                s.screenshot("welcome_files_in_use")
                d.click(101)
                self.assertEqual(1, page_of(d))
                self.check_no_way_out(d, 1)
                d.click(102)
                self.assertEqual(1, d.wait_exit(timeout=5000))
            finally:
                holder.kill()
                holder.wait()


class Fonts(unittest.TestCase):
    def test_page_fonts(self):
        """Read inside the wizard's own process (a font handle means nothing to another one)."""
        with WineSession(self.id()) as s:
            prepare(s, 1)
            out = s.run([s.prog("wizard_fonts")], check=True).stdout
            self.assertTrue(out.endswith("page 3\n"), out)
            # The frame's class: the system dialog class with its own icons and dialog extra bytes.
            frame_class = [line for line in out.splitlines() if line.startswith("class ")]
            extra = frame_class[1].split()
            self.assertEqual(extra[2], extra[3], "DLGWINDOWEXTRA extra bytes")
            self.assertEqual(["class registered 1", "class proc 1", "class instance 1", "class copied 1",
                              "class icon 32 32", "class smallicon 16 16"],
                             frame_class[:1] + frame_class[2:], out)
            fonts = {}
            for line in out.splitlines()[len(frame_class):-1]:
                page, cid, font = line.split(" ", 2)
                fonts[(page, int(cid))] = tuple(font.split("|"))
            face, height, weight, _ = fonts[("welcome", 0)]
            self.assertEqual(("MS Sans Serif", "-11"), (face, height), "8 pt at 96 dpi")
            plain = [("welcome", 0), ("welcome", 202), ("welcome", 204), ("license", 0), ("license", 301),
                     ("destination", 0), ("destination", 401)]
            for key in plain:
                self.assertEqual((face, height, weight), fonts[key][:3], key)
            bold = [("welcome", 203), ("welcome", 205), ("destination", 404)]
            for key in bold:
                self.assertEqual((face, height, "700"), fonts[key][:3], key)
            self.assertEqual(1, len({fonts[key][3] for key in bold}), "one bold font, made once")
            self.assertEqual(("Courier New", "-12", weight), fonts[("license", 300)][:3])


if __name__ == "__main__":
    unittest.main()
