import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402

PRODUCT_KEY = r"HKLM\Software\Yltera\Programs"
VERSION_KEY = PRODUCT_KEY + r"\Quillith"
TEST_KEY = PRODUCT_KEY + r"\YLTERA-TEST"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillith"
DEFAULT_FOLDER = r"C:\Program Files\Yltera\Quillith"
KEYS = {"product": PRODUCT_KEY, "version": VERSION_KEY, "uninstall": UNINSTALL_KEY}


def regtest(s, *args):
    r = s.run([s.prog("regtest")] + list(args), timeout=60)
    if r.returncode != 0:
        raise AssertionError("regtest %s: exit %d\n%s" % (args[0], r.returncode, r.stdout))
    return r.stdout


def fields(out):
    return dict(line.split("=", 1) for line in out.splitlines() if "=" in line and "\t" not in line)


def dump(out):
    """Values read back by the test program: {(key, name): (type, byte count, data)}, and the
    keys that exist."""
    values, keys = {}, set()
    for line in out.splitlines():
        parts = line.split("\t")
        if parts[0] == "key" and parts[2] == "present":
            keys.add(parts[1])
        elif parts[0] == "value":
            _, key, name, result, typ, count, data = parts
            assert result == "0", line
            values[(key, name)] = (int(typ), int(count), data)
    return values, keys


def key_tree(s, key):
    """The values and subkeys below key as reg query /s lists them (without the key's own name),
    or None when the key is missing."""
    r = s.reg("query", key, "/s", check=False)
    if r.returncode != 0:
        return None
    own = "HKEY_LOCAL_MACHINE" + key[len("HKLM"):]
    return [line.strip() for line in r.stdout.splitlines() if line.strip() and line.strip() != own]


def expected_entry(install, windows_uninstall=r"C:\Windows\QLRemove.exe"):
    want = {
        ("product", "Quillith"): install,
        ("version", "Version"): "5.00",
        ("uninstall", "DisplayName"): "Quillith",
        ("uninstall", "DisplayVersion"): "v5.00",
        ("uninstall", "UninstallString"): windows_uninstall,
        ("uninstall", "Program Path"): install,
        ("uninstall", "Program Group"): r"YLTERA\Quillith",
        ("uninstall", "Publisher"): "YLTERA",
    }
    if windows_uninstall is None:
        del want[("uninstall", "UninstallString")]
    return want


class PreviousFolder(unittest.TestCase):
    def test_folder_value_as_stored(self):
        long259 = "D:\\" + "L" * 256
        long260 = "D:\\" + "L" * 257
        # (what is stored, without its NUL?, returned, text read, InstallDir after start-up)
        cases = [
            (None, False, "0", "", DEFAULT_FOLDER),
            (r"D:\Tools\Quillith", False, "1", r"D:\Tools\Quillith", r"D:\Tools\Quillith"),
            (r"D:\Tools\Quillith", True, "1", r"D:\Tools\Quillith", r"D:\Tools\Quillith"),
            ("", False, "1", "", ""),
            ("", True, "1", "", ""),
            # 260 bytes with the NUL: fills the slot exactly.
            (long259, False, "1", long259, long259),
            # 260 bytes without a NUL: no room to end the text, so it counts as too long.
            (long260, True, "0", "", DEFAULT_FOLDER),
            (long260, False, "0", "", DEFAULT_FOLDER),
            ("D:\\" + "L" * 400, False, "0", "", DEFAULT_FOLDER),
        ]
        with WineSession(self.id()) as s:
            for stored, no_nul, result, text, install in cases:
                label = "none" if stored is None else "%d chars%s" % (len(stored), " without NUL" if no_nul else "")
                with self.subTest(stored=label):
                    if stored is not None:
                        regtest(s, "setvalue", stored, *(["nonul"] if no_nul else []))
                        # Stored as meant: with or without its NUL.
                        values, _ = dump(regtest(s, "dump"))
                        want = (1, len(stored), stored) if no_nul else (1, len(stored) + 1, stored + "\\0")
                        self.assertEqual(want, values[("product", "Quillith")])
                        if stored:  # reg.exe shows stray bytes for a value of no bytes at all
                            self.assertEqual(stored, s.reg_query(PRODUCT_KEY, "Quillith"))
                    got = fields(regtest(s, "read"))
                    self.assertEqual(result, got["result"])
                    self.assertEqual("1", got["terminated"], "the text ends within the 260-byte slot")
                    self.assertEqual("1", got["intact"], "nothing written past the slot")
                    self.assertEqual(text, got["text"])
                    self.assertEqual(install, got["InstallDir"])


class AdminProbe(unittest.TestCase):
    def test_probe_leaves_an_empty_product_key_and_no_test_key(self):
        with WineSession(self.id()) as s:
            self.assertFalse(s.reg_key_exists(PRODUCT_KEY))
            self.assertEqual("0", fields(regtest(s, "probe"))["NotAdministrator"])
            self.assertEqual([], key_tree(s, PRODUCT_KEY), "the product key exists and is empty")

            # A test key left behind by an earlier run goes the same way.
            s.reg("add", TEST_KEY, "/f")
            self.assertTrue(s.reg_key_exists(TEST_KEY))
            self.assertEqual("0", fields(regtest(s, "probe"))["NotAdministrator"])
            self.assertFalse(s.reg_key_exists(TEST_KEY))

            # A test key this user may not change: the create call is refused. (Wine checks a key's
            # own permissions when a handle to it is opened, but not the parent's right to add
            # subkeys, so the refusal is set up on the test key itself.)
            protect = fields(regtest(s, "protect", r"Software\Yltera\Programs\YLTERA-TEST"))
            self.assertEqual("5", protect["reopen"], "full access to the protected key is refused")
            s.reg("add", PRODUCT_KEY, "/v", "Other", "/d", "kept", "/f")
            before = key_tree(s, PRODUCT_KEY)
            self.assertEqual("1", fields(regtest(s, "probe"))["NotAdministrator"])
            self.assertEqual(before, key_tree(s, PRODUCT_KEY), "nothing else is done")
            self.assertTrue(s.reg_key_exists(TEST_KEY))


class Registration(unittest.TestCase):
    def check_entry(self, s, out, want):
        values, keys = dump(out)
        self.assertEqual({"product", "version", "uninstall"}, keys)
        names = {k: v for k, v in values.items() if k != ("uninstall", "HelpLink")}
        self.assertEqual(set(want), set(names), "exactly these values")
        for (key, name), data in want.items():
            self.assertEqual((1, len(data) + 1, data + "\\0"), values[(key, name)], name)
            # And from outside, through reg.exe.
            self.assertEqual(data, s.reg_query(KEYS[key], name), name)
        typ, count, link = values[("uninstall", "HelpLink")]
        self.assertEqual(1, typ)
        self.assertRegex(link, r"^http://[^/\\]+/support\.html\\0$")
        self.assertEqual(len(link) - 1, count)

    def test_values_after_an_installation(self):
        with WineSession(self.id()) as s:
            out = regtest(s, "register", "install=" + DEFAULT_FOLDER)
            self.check_entry(s, out, expected_entry(DEFAULT_FOLDER))

            # Installing again overwrites the same values in place.
            out = regtest(s, "register", r"install=D:\Apps\Quillith")
            self.check_entry(s, out, expected_entry(r"D:\Apps\Quillith"))
            tree = key_tree(s, PRODUCT_KEY)
            self.assertEqual(1, sum(1 for line in tree if line.startswith("Quillith ")), tree)

            # A Windows folder whose uninstall command needs more than 255 characters: written in
            # full while the path fits the 260-byte limit, left out (not cut) when it does not.
            s.reg("delete", UNINSTALL_KEY, "/f")
            folder = "C:\\" + "W" * (258 - len(r"\QLRemove.exe") - 3)
            out = regtest(s, "register", "install=" + DEFAULT_FOLDER, "windir=" + folder)
            command = folder + r"\QLRemove.exe"
            self.assertEqual(258, len(command))
            self.check_entry(s, out, expected_entry(DEFAULT_FOLDER, command))

            s.reg("delete", UNINSTALL_KEY, "/f")
            out = regtest(s, "register", "install=" + DEFAULT_FOLDER, "windir=" + folder + "W")
            self.check_entry(s, out, expected_entry(DEFAULT_FOLDER, None))

    def test_product_key_refused_still_gives_a_complete_uninstall_entry(self):
        with WineSession(self.id()) as s:
            protect = fields(regtest(s, "protect", r"Software\Yltera\Programs"))
            self.assertEqual("5", protect["reopen"])
            values, keys = dump(regtest(s, "register", "install=" + DEFAULT_FOLDER))
            self.assertEqual({"product", "uninstall"}, keys, "no version subkey")
            self.assertNotIn(("product", "Quillith"), values)
            self.assertIsNone(s.reg_query(PRODUCT_KEY, "Quillith"))
            want = {k: v for k, v in expected_entry(DEFAULT_FOLDER).items() if k[0] == "uninstall"}
            for (key, name), data in want.items():
                self.assertEqual((1, len(data) + 1, data + "\\0"), values[(key, name)], name)
                self.assertEqual(data, s.reg_query(UNINSTALL_KEY, name), name)
            self.assertIn(("uninstall", "HelpLink"), values)


if __name__ == "__main__":
    unittest.main()
