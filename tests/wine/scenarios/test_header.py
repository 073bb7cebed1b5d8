import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import WineSession  # noqa: E402


class Header(unittest.TestCase):
    def test_header_is_made_once_for_the_frame_width(self):
        with WineSession(self.id()) as s:
            p = s.start([s.prog("header")])
            lines = []
            for line in p.stdout:
                lines.append(line.rstrip("\n"))
                if line.startswith("ready"):
                    break
            shot = s.screenshot("header")
            s.unix_path("C:\\header-done").write_text("")
            lines += p.stdout.read().splitlines()
            self.assertEqual(0, p.wait(timeout=60))
            out = "\n".join(lines)

            # A window 506 pixels wide: a 506 x 70 picture, though the client area is narrower.
            window = re.search(r"window (\d+) (\d+) client (\d+) (\d+)", out)
            self.assertIsNotNone(window, out)
            self.assertEqual("506", window.group(1))
            self.assertLess(int(window.group(3)), 506)
            self.assertIn("bitmap 506 70\n", out)
            self.assertIn("same handle 1\n", out)
            # Every paint, the one without a picture included, returns 1.
            results = re.findall(r"paint \d+ result (\d+)", out)
            self.assertEqual(5, len(results), out)
            self.assertEqual({"1"}, set(results))
            self.assertIn("missing resource bitmap 0\n", out)
            # The bitmap and the screen hold exactly what the pure stages make of the resource.
            self.assertIn("bitmap pixels differ 0\n", out)
            self.assertIn("screen pixels differ 0\n", out)
            self.assertIn("below header plain 1\n", out)
            for icon, size in (("100", 32), ("100", 16), ("101", 32), ("102", 32)):
                self.assertIn("icon %s %d %d\n" % (icon, size, size), out)
            self.assertTrue(shot.exists())


if __name__ == "__main__":
    unittest.main()
