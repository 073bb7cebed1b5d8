"""The installed product end to end: setup.exe installs it, its links start what they name, and the
uninstall command that setup recorded removes it again, leaving the machine as it was before the
installation. The remover refuses while the product runs, keeps what is not the product's, and
has itself deleted when Windows next starts (here: wineboot -r, which does what a restart does with
pending deletions).
"""
import difflib
import os
import re
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WINE, WineSession  # noqa: E402

import test_install as common  # noqa: E402

TITLE = "YLTERA Quillith"  # the remover's caption
OK, YES, NO = 1, 6, 7
CONFIRM = "Do you want to remove YLTERA Quillith and all of its components from this computer?"
REMOVED = "YLTERA Quillith was removed from your computer."
NOTHING = "YLTERA Quillith is not installed on this computer, so there is nothing to remove."
SUPPORT = 304  # QLUpdate's Open Support Page button
HELP_LINK = "http://www.yltera.com/support.html"
OTHER_PRODUCT = ("Inkwell", r"C:\Program Files\Yltera\Inkwell")
SESSION_MANAGER = r"HKLM\System\CurrentControlSet\Control\Session Manager"

# Keys that Wine rewrites by itself while programs run: the system parameters it keeps for the
# session only (the mouse settings change when the test driver moves the pointer).
VOLATILE_KEYS = re.compile(r"^\[HKEY_CURRENT_USER\\Software\\Wine\\Temporary System Parameters", re.I)


def registry(s, tag):
    """The prefix's registry as exported by reg.exe, as {key: [value lines]}."""
    keys = {}
    for root in ("HKLM", "HKCU"):
        out = s.root / ("%s-%s.reg" % (tag, root))
        s.reg("export", root, s.win_path(out), "/y")
        key = None
        for line in out.read_bytes().decode("utf-16").splitlines():
            if line.startswith("["):
                key = None if VOLATILE_KEYS.match(line) else line
                if key:
                    keys[key] = []
            elif key and line.strip():
                keys[key].append(line)
    return keys


def files(s):
    """Every folder and file of drive C:, with the files' sizes."""
    drive_c = s.prefix / "drive_c"
    found = {}
    for root, dirs, names in os.walk(drive_c):
        rel = os.path.relpath(root, drive_c)
        for n in dirs:
            found[os.path.join(rel, n).lower()] = "folder"
        for n in names:
            p = os.path.join(root, n)
            found[os.path.join(rel, n).lower()] = os.path.getsize(p) if not os.path.islink(p) else "link"
    return found


def snapshot(s):
    return files(s), registry(s, "snap%d" % time.monotonic_ns())


def differences(before, after):
    """Readable differences of two snapshots; empty when they are the same."""
    lines = []
    (files_a, reg_a), (files_b, reg_b) = before, after
    for path in sorted(set(files_a) | set(files_b)):
        if files_a.get(path) != files_b.get(path):
            lines.append("file %s: %s -> %s" % (path, files_a.get(path), files_b.get(path)))
    for key in sorted(set(reg_a) | set(reg_b)):
        if reg_a.get(key) != reg_b.get(key):
            lines.append("key %s: %s" % (key, "\n  ".join(difflib.unified_diff(
                reg_a.get(key, ["(missing)"]), reg_b.get(key, ["(missing)"]), lineterm="", n=0))))
    return lines


def warm_up(s):
    """Lets Wine write what it writes the first time a window and a console appear (display and
    console settings), so that a snapshot taken afterwards holds only what later programs change."""
    subprocess.run([WINE, "start", "/wait", "cmd", "/c", "exit"], env=s.env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    d = s.driver()
    d.start(r"C:\windows\notepad.exe")
    d.wait_window(cls="Notepad")
    d.close()
    d.wait_exit()


def restart(s):
    """What a restart of Windows does with the deletions the remover asked for."""
    s.run(["wineboot", "-r"])
    s.run(["wineboot", "-r"])  # a second one as the fixed point: the first may also settle Wine's own keys


def record_web_addresses(s):
    """Makes a recorder the handler of web addresses; returns the file it writes them into."""
    log = s.root / "opened.txt"
    command = '"%s" "%s" "%%1"' % (s.win_path(s.prog("product_record")), s.win_path(log))
    s.reg("add", r"HKCR\http\shell\open\command", "/ve", "/d", command, "/f")
    return log


def open_link(s, link):
    """Opens a link through the shell, as a double click does. The started program must not
    inherit pipes of ours, or the call would wait for it to end."""
    subprocess.run([WINE, "start", link], env=s.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def install(s, version, scope=None):
    d = common.open_wizard(s, version)
    common.to_destination(d)
    common.run_installation(d, scope=scope)
    d.click(102)
    d.wait_exit()


def uninstall_command(s):
    command = s.reg_query(common.UNINSTALL_KEY, "UninstallString")
    assert command, "no UninstallString"
    return command


def run_remover(s, command, answers):
    """Starts the uninstall command and answers its message boxes in turn; returns the texts seen
    and the exit code."""
    d = s.driver()
    d.start(command)
    seen = []
    for answer in answers:
        caption, text = d.msgbox()
        seen.append(text)
        assert caption == TITLE, caption
        d.answer(answer)
    return seen, d.wait_exit()


def product_state(s, install_dir, all_users):
    """What of the product is on the machine: its files, links and registry entries."""
    programs, desktop = common.link_folders(s, all_users)
    paths = [common.WINDOWS_DIR + r"\QLRemove.exe"]
    paths += [install_dir + "\\" + common.FILE_NAMES[r] for r in common.ROWS_98[1:]]
    paths += [programs + "\\" + common.GROUP + "\\" + n + ".lnk" for n, _, _ in common.LINKS]
    paths.append(desktop + r"\Quillith.lnk")
    return ({p: s.unix_path(p).exists() for p in paths},
            common.reg_values(s, common.PRODUCT_KEY), common.reg_values(s, common.PRODUCT_KEY + r"\Quillith"),
            common.reg_values(s, common.UNINSTALL_KEY))


class Removal(unittest.TestCase):
    def test_links_start_their_targets_and_removal_restores_the_machine(self):
        with WineSession(self.id()) as s:
            log = record_web_addresses(s)
            s.set_windows_version("setup.exe", "win7")
            warm_up(s)
            restart(s)
            before = snapshot(s)
            install(s, "win7")  # all-users links, the default on the NT family
            programs, desktop = common.link_folders(s, True)
            group = programs + "\\" + common.GROUP

            d = s.driver()  # watches windows of every program
            with self.subTest("the desktop link and the group's Quillith link start the writing pad"):
                for link in (desktop + r"\Quillith.lnk", group + r"\Quillith.lnk"):
                    open_link(s, link)
                    d.wait_window(title="Untitled - Quillith", cls="QuillithPad", any_process=True)
                    d.close()
                    d.wait_gone(cls="QuillithPad")

            with self.subTest("Help opens the help file"):
                open_link(s, group + r"\Help.lnk")
                d.wait_window(title="Quillith Help", any_process=True)
                d.close()
                d.wait_gone(title="Quillith Help")

            with self.subTest("Update shows the installed version and opens the support page"):
                open_link(s, group + r"\Update.lnk")
                d.wait_window(title="Quillith Update", any_process=True)
                self.assertEqual("Installed version: YLTERA Quillith 5.00", d.text(301))
                self.assertEqual("Installed in: " + common.DEFAULT_DIR, d.text(302))
                self.assertEqual(HELP_LINK, d.text(303))
                d.click(SUPPORT)
                d.answer(2)
                d.wait_gone(title="Quillith Update")

            with self.subTest("Yltera Online opens the maker's web site"):
                open_link(s, group + r"\Yltera Online.lnk")

            with self.subTest("Remove starts the remover, which asks first; No keeps everything"):
                open_link(s, group + r"\Remove.lnk")
                d.wait_window(title=TITLE, cls="#32770", any_process=True)
                d.answer(NO)
                d.wait_gone(title=TITLE, cls="#32770")
                self.assertTrue(s.unix_path(common.DEFAULT_DIR + r"\Quillith.exe").exists())

            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and len(log.read_text().splitlines() if log.exists() else []) < 2:
                time.sleep(0.2)
            self.assertEqual(sorted([HELP_LINK, "http://www.yltera.com"]),
                             sorted(log.read_text().splitlines()) if log.exists() else [],
                             "the support page (Update) and the web site (Yltera Online)")

            with self.subTest("the recorded uninstall command asks once and removes the product"):
                command = uninstall_command(s)
                self.assertEqual(r"C:\Windows\QLRemove.exe", command)
                texts, code = run_remover(s, command, [YES, OK])
                self.assertEqual([CONFIRM, REMOVED], texts)
                self.assertEqual(0, code)

            with self.subTest("a second run finds nothing installed"):
                texts, code = run_remover(s, command, [OK])
                self.assertEqual([NOTHING], texts)
                self.assertEqual(1, code)

            with self.subTest("until the restart only the remover itself is left"):
                left = differences(before, snapshot(s))
                self.assertTrue(any("qlremove.exe" in line for line in left), left)
                self.assertTrue(all("qlremove.exe" in line.lower() or "pendingfilerename" in line.lower()
                                    for line in left), "\n".join(left))

            with self.subTest("after the restart the machine is as it was before the installation"):
                restart(s)
                self.assertEqual([], differences(before, snapshot(s)))

    def test_refuses_while_running_and_keeps_what_is_not_the_products(self):
        """On the Windows 95 family, per-user links; another product of the maker, a file of the
        user's own in the install folder and another program's pending deletion."""
        with WineSession(self.id()) as s:
            s.reg("add", common.PRODUCT_KEY, "/v", OTHER_PRODUCT[0], "/d", OTHER_PRODUCT[1], "/f")
            old = s.unix_path(r"C:\windows\temp\old.tmp")
            old.write_text("left by another program")
            wininit = s.unix_path(r"C:\windows\wininit.ini")
            wininit.write_bytes(b"[rename]\r\nNUL=C:\\WINDOWS\\TEMP\\OLD.TMP\r\n")
            install(s, "win98")
            s.set_windows_version("QLRemove.exe", "win98")
            installed = product_state(s, common.DEFAULT_DIR, False)
            self.assertTrue(all(installed[0].values()), installed[0])
            command = uninstall_command(s)

            with self.subTest("No at the question removes nothing"):
                texts, code = run_remover(s, command, [NO])
                self.assertEqual([CONFIRM], texts)
                self.assertEqual(2, code)
                self.assertEqual(installed, product_state(s, common.DEFAULT_DIR, False))

            with self.subTest("while Quillith runs the remover refuses and removes nothing"):
                pad = s.driver()
                pad.start(common.DEFAULT_DIR + r"\Quillith.exe")
                pad.wait_window(cls="QuillithPad")
                texts, code = run_remover(s, command, [YES, OK])
                self.assertEqual(CONFIRM, texts[0])
                self.assertEqual("YLTERA Quillith cannot be removed while it is running: the file\r\n"
                                 + common.DEFAULT_DIR + "\\Quillith.exe\r\nis in use. Please close Quillith "
                                 "and try again. Nothing has been removed.", texts[1])
                self.assertEqual(3, code)
                self.assertEqual(installed, product_state(s, common.DEFAULT_DIR, False))
                pad.close()
                self.assertEqual(0, pad.wait_exit())

            with self.subTest("the user's own file keeps the install folder; other products stay"):
                own = s.unix_path(common.DEFAULT_DIR + r"\my notes.txt")
                own.write_text("mine")
                # The user has turned the desktop link into one of their own, to another program.
                _, desktop = common.link_folders(s, False)
                r = s.run([s.prog("product_link"), desktop + r"\Quillith.lnk", r"C:\windows\notepad.exe"])
                self.assertEqual("made", r.stdout.strip())
                texts, code = run_remover(s, command, [YES, OK])
                self.assertEqual([CONFIRM, REMOVED + "\r\n\r\nThe folder " + common.DEFAULT_DIR
                                  + " was kept because it holds files that were not installed with Quillith."],
                                 texts)
                self.assertEqual(0, code)
                state = product_state(s, common.DEFAULT_DIR, False)
                self.assertEqual({common.WINDOWS_DIR + r"\QLRemove.exe": True, desktop + r"\Quillith.lnk": True},
                                 {p: e for p, e in state[0].items() if e},
                                 "only the remover, until the restart, and the user's link")
                self.assertEqual(r"C:\windows\notepad.exe",
                                 common.read_link(s, desktop + r"\Quillith.lnk")["Local path"])
                self.assertEqual(({OTHER_PRODUCT[0]: OTHER_PRODUCT[1]}, None, None), state[1:])
                self.assertEqual("mine", own.read_text())
                self.assertEqual(["my notes.txt"], [p.name for p in own.parent.iterdir()])
                programs, _ = common.link_folders(s, False)
                self.assertFalse(s.unix_path(programs + r"\YLTERA").exists(), "the group's folders went")

            with self.subTest("the remover is named in WININIT.INI beside the other program's line"):
                lines = wininit.read_bytes().split(b"\r\n")
                self.assertEqual(b"[rename]", lines[0])
                self.assertEqual(sorted([b"nul=c:\\windows\\temp\\old.tmp", b"nul=c:\\windows\\qlremove.exe"]),
                                 sorted(l.lower() for l in lines[1:] if l), lines)
                texts, code = run_remover(s, command, [OK])
                self.assertEqual(([NOTHING], 1), (texts, code))
                restart(s)
                self.assertFalse(s.unix_path(r"C:\windows\QLRemove.exe").exists())
                self.assertFalse(old.exists())


if __name__ == "__main__":
    unittest.main()
