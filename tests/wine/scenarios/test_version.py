import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402

# Windows version Wine reports -> class, and the build of Quillith.exe that applies.
CASES = [("win98", 0, "PROGRAM_98"), ("nt40", 1, "PROGRAM_98"), ("win2k", 1, "PROGRAM_98"),
         ("winxp", 2, "PROGRAM_XP"), ("win2003", 1, "PROGRAM_98"), ("vista", 3, "PROGRAM_XP"),
         ("win7", 1, "PROGRAM_98"), ("win10", 1, "PROGRAM_98")]


class VersionClass(unittest.TestCase):
    def test_class_and_rows_per_windows_version(self):
        with WineSession(self.id()) as s:
            for version, cls, build in CASES:
                with self.subTest(version=version):
                    s.set_windows_version("version.exe", version)
                    out = s.run([s.prog("version")], check=True).stdout
                    self.assertIn("class %d\n" % cls, out)
                    rows = re.findall(r"row (\d) (\S+)", out)
                    self.assertEqual(7, len(rows), out)
                    self.assertIn(("1" if build == "PROGRAM_98" else "2", build), rows)
                    other = "PROGRAM_XP" if build == "PROGRAM_98" else "PROGRAM_98"
                    self.assertNotIn(other, out)


if __name__ == "__main__":
    unittest.main()
