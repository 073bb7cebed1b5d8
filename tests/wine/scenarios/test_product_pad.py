"""The writing pad, Quillith.exe, in both builds, and its help file: the files exactly as setup
installs them (the fitted payloads), placed in one folder. The user writes, saves, reopens, is asked
before changes would be lost, and opens the help and the About box.
"""
import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import BUILD, SOURCE_DIR, WineSession, payload_file  # noqa: E402

PAD_DIR = r"C:\Pad"
EDIT = 110
NEW, OPEN, SAVE, SAVE_AS = 200, 201, 202, 203
HELP, ABOUT = 220, 221
OK, CANCEL, YES, NO = 1, 2, 6, 7
FILE_NAME_BOX = 1148  # of the common file dialogs
CHANGED = "The text has changed.\r\n\r\nDo you want to save the changes?"
HELP_TITLE = "Quillith Help"  # the help file's own title, which the viewer shows
HELP_PAGES = SOURCE_DIR / "resources" / "payloads" / "help"


def place_pad(s, resource):
    """The build of a row and the help file, as installed, in the pad's folder."""
    folder = s.unix_path(PAD_DIR)
    folder.mkdir(exist_ok=True)
    shutil.copy(payload_file(resource), folder / "Quillith.exe")
    shutil.copy(payload_file("PROGRAMHLP"), folder / "Quillith.chm")
    return folder


def start_pad(s, document=None):
    d = s.driver()
    d.start(PAD_DIR + r"\Quillith.exe", '"%s\\%s"' % (PAD_DIR, document) if document else "")
    d.wait_window(cls="QuillithPad")
    return d


def title(d):
    return d.text(0)


def choose_file(d, dialog, path):
    """Types a path into an open or save dialog of the pad and accepts it."""
    d.wait_window(title=dialog)
    d.set_text(FILE_NAME_BOX, path)
    d.answer(OK)


def write(d, text):
    """Puts a text into the pad and types a space into it, as the user's own change: a text set
    from outside is not an edit of the user's. Returns the text the pad then holds."""
    d.set_text(EDIT, text)
    d.key("space")
    now = d.text(EDIT)
    assert now.replace(" ", "", 1) == text, now
    return now


def back_to_pad(d):
    d.wait_window(cls="QuillithPad")


class WritingPad(unittest.TestCase):
    def test_98_build_writes_saves_reopens_and_asks_before_losing_changes(self):
        with WineSession(self.id()) as s:
            folder = place_pad(s, "PROGRAM_98")
            (folder / "note.txt").write_bytes(b"line one\nline two\n")
            d = start_pad(s, "note.txt")

            with self.subTest("a file named on the command line opens, LF lines as lines"):
                self.assertEqual("note.txt - Quillith", title(d))
                self.assertEqual("line one\r\nline two\r\n", d.text(EDIT))

            with self.subTest("New with unsaved changes asks; Cancel keeps the text"):
                draft = write(d, "First draft\r\n")
                d.call("command", NEW)
                self.assertEqual(("Quillith", CHANGED), d.msgbox())
                d.answer(CANCEL)
                back_to_pad(d)
                self.assertEqual(draft, d.text(EDIT))
                self.assertEqual("note.txt - Quillith", title(d))

            with self.subTest("Save writes the text into its file"):
                d.call("command", SAVE)
                self.assertEqual(draft.encode(), (folder / "note.txt").read_bytes())

            with self.subTest("New after saving asks nothing"):
                d.call("command", NEW)
                self.assertEqual("Untitled - Quillith", title(d))
                self.assertEqual("", d.text(EDIT))

            with self.subTest("closing with changes asks; Yes on an untitled text asks for a name"):
                second = write(d, "Second text")
                d.close()
                self.assertEqual(("Quillith", CHANGED), d.msgbox())
                d.answer(YES)
                choose_file(d, "Save As", PAD_DIR + r"\second")
                self.assertEqual(0, d.wait_exit())
                self.assertEqual(second.encode(), (folder / "second.txt").read_bytes(), "saved, with .txt added")

            d = start_pad(s, "second.txt")
            with self.subTest("the saved file reopens"):
                self.assertEqual("second.txt - Quillith", title(d))
                self.assertEqual(second, d.text(EDIT))

            with self.subTest("Open with changes asks; No drops them and opens the chosen file"):
                write(d, "scribble")
                d.call("command", OPEN)
                self.assertEqual(("Quillith", CHANGED), d.msgbox())
                d.answer(NO)
                choose_file(d, "Open", PAD_DIR + r"\note.txt")
                back_to_pad(d)
                self.assertEqual("note.txt - Quillith", title(d))
                self.assertEqual(draft, d.text(EDIT))
                self.assertEqual(second.encode(), (folder / "second.txt").read_bytes())

            with self.subTest("Save As writes a new file and the pad works on it"):
                d.call("command", SAVE_AS)
                choose_file(d, "Save As", PAD_DIR + r"\copy.txt")
                back_to_pad(d)
                self.assertEqual("copy.txt - Quillith", title(d))
                self.assertEqual(draft.encode(), (folder / "copy.txt").read_bytes())

            with self.subTest("a file with NUL bytes is refused and the text stays"):
                (folder / "data.bin").write_bytes(b"ab\0cd")
                d.call("command", OPEN)
                choose_file(d, "Open", PAD_DIR + r"\data.bin")
                caption, text = d.msgbox()
                self.assertEqual("The file\r\n%s\\data.bin\r\nis not a plain-text file." % PAD_DIR, text)
                d.answer(OK)
                back_to_pad(d)
                self.assertEqual("copy.txt - Quillith", title(d))
                self.assertEqual(draft, d.text(EDIT))

            with self.subTest("a file that cannot be saved keeps the text unsaved"):
                holder = s.start([s.prog("holdfile"), PAD_DIR + r"\copy.txt"])  # open without sharing
                self.assertEqual("holding", holder.stdout.readline().strip())
                third = write(d, "Third")
                d.call("command", SAVE)
                caption, text = d.msgbox()
                self.assertTrue(text.startswith("Quillith could not save the file\r\n"), text)
                d.answer(OK)
                back_to_pad(d)
                holder.kill()
                holder.wait()
                holder.stdout.close()
                self.assertEqual(draft.encode(), (folder / "copy.txt").read_bytes())
                d.close()
                self.assertEqual(("Quillith", CHANGED), d.msgbox(), "the failed save left the text unsaved")
                d.answer(CANCEL)
                back_to_pad(d)
                self.assertEqual(third, d.text(EDIT))

            with self.subTest("About names the product and its version"):
                d.call("command", ABOUT)
                caption, text = d.msgbox()
                self.assertEqual("About Quillith", caption)
                self.assertTrue(text.startswith("YLTERA Quillith 5.00\r\n"), text)
                self.assertIn("Windows 95", text)
                d.answer(OK)
                back_to_pad(d)

            with self.subTest("Help opens the help file beside the program"):
                d.call("command", HELP)
                d.wait_window(title=HELP_TITLE, any_process=True)
                s.screenshot("help")

    def test_xp_build_carries_visual_styles_and_names_its_edition(self):
        listing = subprocess.run(["wrestool", "-l", str(payload_file("PROGRAM_XP"))], capture_output=True,
                                 text=True).stdout
        self.assertIn("--type=24 --name=1", listing, "the XP build carries an application manifest")
        manifest = subprocess.run(["wrestool", "-x", "--raw", "--type=24", "--name=1", str(payload_file("PROGRAM_XP"))],
                                  capture_output=True).stdout
        self.assertIn(b"Microsoft.Windows.Common-Controls", manifest)
        self.assertNotIn("--type=24", subprocess.run(["wrestool", "-l", str(payload_file("PROGRAM_98"))],
                                                     capture_output=True, text=True).stdout)
        with WineSession(self.id()) as s:
            place_pad(s, "PROGRAM_XP")
            s.set_windows_version("Quillith.exe", "winxp")
            d = start_pad(s)
            self.assertEqual("Untitled - Quillith", title(d))
            d.call("command", ABOUT)
            caption, text = d.msgbox()
            self.assertEqual("About Quillith", caption)
            self.assertTrue(text.startswith("YLTERA Quillith 5.00\r\n"), text)
            self.assertIn("Windows XP and Windows Vista", text)
            d.answer(OK)
            back_to_pad(d)
            d.call("command", HELP)
            d.wait_window(title=HELP_TITLE, any_process=True)


class HelpFile(unittest.TestCase):
    def test_the_installed_help_file_reads_back_through_the_system_reader(self):
        """The help file with the filler that setup's payload adds still opens, and holds the
        pages it was compiled from."""
        pages = ["index.html", "files.html", "editing.html", "keys.html", "program.html", "contents.hhc"]
        with WineSession(self.id()) as s:
            place_pad(s, "PROGRAM_98")
            r = s.run([s.prog("product_chm"), PAD_DIR + r"\Quillith.chm"] + ["/" + p for p in pages]
                      + ["/nothing.html"])
            found = {}
            for line in r.stdout.splitlines():
                parts = line.split()
                if parts and parts[0] == "file":
                    found[parts[1]] = bytes.fromhex(parts[3]) if len(parts) > 3 else b""
            for p in pages:
                with self.subTest(page=p):
                    self.assertEqual((HELP_PAGES / p).read_bytes(), found.get("/" + p), r.stdout[:300])
            self.assertIn("missing /nothing.html", r.stdout)
        for p in pages[:-1]:
            self.assertIn('"%s"' % p, (HELP_PAGES / "contents.hhc").read_text(), "every page is in the contents")


class Updater(unittest.TestCase):
    def test_updater_shows_what_is_installed_and_opens_only_web_addresses(self):
        uninstall = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillith"
        with WineSession(self.id()) as s:
            folder = place_pad(s, "PROGRAM_98")
            shutil.copy(payload_file("UPDATER"), folder / "QLUpdate.exe")
            d = s.driver()
            with self.subTest("nothing installed"):
                d.start(PAD_DIR + r"\QLUpdate.exe")
                d.wait_window(title="Quillith Update")
                self.assertEqual("Quillith is not installed on this computer.", d.text(301))
                self.assertEqual("http://www.yltera.com/support.html", d.text(303))
                d.answer(CANCEL)
                self.assertEqual(0, d.wait_exit())
            with self.subTest("a support link that is not a web address is not handed to the shell"):
                s.reg("add", r"HKLM\Software\Yltera\Programs\Quillith", "/v", "Version", "/d", "5.01", "/f")
                s.reg("add", uninstall, "/v", "HelpLink", "/d", r"C:\windows\notepad.exe", "/f")
                d.start(PAD_DIR + r"\QLUpdate.exe")
                d.wait_window(title="Quillith Update")
                self.assertEqual("Installed version: YLTERA Quillith 5.01", d.text(301))
                self.assertEqual("http://www.yltera.com/support.html", d.text(303))
                d.answer(CANCEL)
                self.assertEqual(0, d.wait_exit())


class PayloadRows(unittest.TestCase):
    def test_every_payload_meets_its_rows_size_and_packed_size(self):
        """The programs and the help file, with their filler, are exactly as large as the file
        table says, and their streams exactly as long; each payload begins with the built file."""
        table = (SOURCE_DIR / "core" / "product.cpp").read_text()
        rows = re.findall(r'\{"([^"]+)", 0x[0-9a-fA-F]+, "([A-Z0-9_]+)", "[^"]*", (\d+), (\d+)\}', table)
        self.assertEqual(8, len(rows))
        programs = BUILD / "resources" / "programs"
        built = {"CLEANUP": programs / "qlremove" / "QLRemove.exe",
                 "PROGRAM_98": programs / "quillith_98" / "Quillith.exe",
                 "PROGRAM_XP": programs / "quillith_xp" / "Quillith.exe",
                 "PROGRAMHLP": programs / "Quillith.chm",
                 "UPDATER": programs / "qlupdate" / "QLUpdate.exe"}
        for file_name, resource, size, packed in rows:
            with self.subTest(row=resource):
                installed = payload_file(resource).read_bytes()
                stream = (BUILD / "resources" / "payloads" / (resource + ".bin")).read_bytes()
                self.assertEqual(int(size), len(installed))
                self.assertEqual(int(packed) or int(size), len(stream))
                if resource in built:
                    content = built[resource].read_bytes()
                    self.assertEqual(content, installed[:len(content)])
                    print("%-10s %-13s %6d of %6d bytes" % (resource, file_name, len(content), int(size)))


if __name__ == "__main__":
    unittest.main()
