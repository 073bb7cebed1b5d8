"""The version resource of every shipped PE, read back from the file with wrestool: what Windows
shows as the file's properties."""
import os
import re
import sys
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from pe import parse_version_info, read_resource  # noqa: E402

BUILD = Path(os.environ.get("RELEASE_BUILD_DIR", "."))

# What every file of the product says about itself.
COMMON = {"CompanyName": "YLTERA", "ProductName": "Quillith", "ProductVersion": "5.00"}
PRODUCT_VERSION = "5.0.0.0"
# What setup.exe says about itself; its file version is also the version of its manifest.
SETUP = {"FileDescription": "YLTERA Setup Wizard for Quillith", "FileVersion": "2.0.0.7",
         "OriginalFilename": "setup.exe", "InternalName": "setup"}
LANGUAGE_BLOCK = "040904E4"  # US English, code page 1252
VS_FFI_SIGNATURE, VOS__WINDOWS32, VFT_APP = 0xFEEF04BD, 0x00000004, 1


def shipped():
    """(path, description, file version) of every shipped PE, as the build lists them."""
    rows = []
    for line in (BUILD / "release-files.txt").read_text().splitlines():
        if line:
            path, description, version = line.split("\t")
            rows.append((Path(path), description, version))
    return rows


class VersionResource(unittest.TestCase):
    def read(self, path):
        raw = read_resource(path, 16, 1)
        self.assertIsNotNone(raw, "%s has no version resource 1" % path)
        return parse_version_info(raw)

    def test_every_shipped_program(self):
        rows = shipped()
        self.assertIn("setup.exe", [p.name for p, _, _ in rows])
        for path, description, version in rows:
            with self.subTest(program=path.name):
                info = self.read(path)
                fixed = info["fixed"]
                self.assertEqual(VS_FFI_SIGNATURE, fixed["signature"])
                self.assertEqual((VOS__WINDOWS32, VFT_APP, 0), (fixed["os"], fixed["type"], fixed["flags"]))
                self.assertEqual(PRODUCT_VERSION, fixed["product_version"])
                self.assertEqual([(0x0409, 1252)], info["translations"])
                self.assertEqual([LANGUAGE_BLOCK], list(info["strings"]))
                strings = info["strings"][LANGUAGE_BLOCK]
                self.assertTrue(description, "the build gave %s no description" % path.name)
                want = dict(COMMON, FileDescription=description, FileVersion=version,
                            OriginalFilename=path.name, InternalName=path.stem)
                self.assertEqual(want, strings)
                # The binary file version is the text one, padded to four parts.
                parts = (version.split(".") + ["0"] * 4)[:4]
                self.assertEqual(".".join(str(int(p)) for p in parts), fixed["file_version"])

    def test_setup_names_itself_and_matches_its_manifest(self):
        setup = BUILD / "setup.exe"
        info = self.read(setup)
        strings = info["strings"][LANGUAGE_BLOCK]
        for key, value in SETUP.items():
            self.assertEqual(value, strings[key], key)
        self.assertEqual("2.0.0.7", info["fixed"]["file_version"])
        manifest = read_resource(setup, 24, 1).decode("utf-8")
        identity = re.search(r'<assemblyIdentity name="Yltera\.Setup\.Wizard" version="([^"]+)"', manifest)
        self.assertIsNotNone(identity, manifest)
        self.assertEqual(strings["FileVersion"], identity.group(1))


if __name__ == "__main__":
    unittest.main()
