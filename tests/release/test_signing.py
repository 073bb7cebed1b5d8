"""The signing round trip: a throwaway self-signed certificate, setup.exe signed with it by the
build's own signing step (scripts/dist.sh sign), checked by osslsigncode, by the PE checks and,
for the 64-bit twin, by a whole installation under Wine."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "wine" / "scenarios"))
from pe import Pe  # noqa: E402
from test_install import (DEFAULT_DIR, InstallChecks, open_wizard,  # noqa: E402
                          run_installation, to_destination)
from harness import WineSession  # noqa: E402

BUILD = Path(os.environ.get("RELEASE_BUILD_DIR", "."))
ARCH = os.environ.get("RELEASE_ARCH", "x86")
DESCRIPTION = "YLTERA Setup Wizard for Quillith"


def run(cmd, **kw):
    return subprocess.run([str(c) for c in cmd], capture_output=True, text=True, **kw)


class Signing(unittest.TestCase, InstallChecks):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="signing-"))
        cls.cert, cls.key = cls.dir / "cert.pem", cls.dir / "key.pem"
        r = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                 "-subj", "/CN=YLTERA throwaway test signer", "-addext", "extendedKeyUsage=codeSigning",
                 "-keyout", cls.key, "-out", cls.cert])
        assert r.returncode == 0, r.stderr
        cls.other_key = cls.dir / "other-key.pem"
        r = run(["openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
                 "-out", cls.other_key])
        assert r.returncode == 0, r.stderr
        cls.unsigned = (BUILD / "setup.exe").read_bytes()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def sign(self, out, env_extra=None, source=None):
        env = dict(os.environ, SIGN_CERT=str(self.cert), SIGN_KEY=str(self.key))
        env.pop("SOURCE_DATE_EPOCH", None)
        env.update(env_extra or {})
        return run(["bash", SOURCE / "scripts" / "dist.sh", "sign", source or BUILD / "setup.exe", out,
                    DESCRIPTION], env=env)

    def signed_copy(self, name, **kw):
        out = self.dir / name
        r = self.sign(out, **kw)
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        return out

    def verify(self, path):
        return run(["osslsigncode", "verify", "-in", path, "-CAfile", self.cert])

    def test_signed_copy_verifies_and_passes_the_pe_checks(self):
        signed = self.signed_copy("signed.exe")
        r = self.verify(signed)
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        self.assertIn("Signature verification: ok", r.stdout)
        self.assertIn("Text description: " + DESCRIPTION, r.stdout)
        # Signing adds the certificate table and nothing else.
        data = signed.read_bytes()
        self.assertTrue(Pe(data).signed)
        self.assertFalse(Pe(self.unsigned).signed)
        self.assertEqual(Pe(self.unsigned).without_signature(), Pe(data).without_signature())
        objdump = os.environ.get("RELEASE_OBJDUMP", "objdump")
        r = run([sys.executable, SOURCE / "tests" / "pe" / "check_pe.py", "--arch", ARCH, "--objdump", objdump,
                 "--snapshot", SOURCE / "tests" / "pe" / "imports" / ("setup-%s.txt" % ARCH), signed])
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)

    def test_a_changed_byte_breaks_the_signature(self):
        signed = self.signed_copy("tampered.exe")
        data = bytearray(signed.read_bytes())
        pe = Pe(bytes(data))
        name, start, size = next(s for s in pe.sections if s[0] == ".rsrc")
        data[start + size // 2] ^= 0x01
        signed.write_bytes(bytes(data))
        r = self.verify(signed)
        self.assertNotEqual(0, r.returncode, r.stdout)

    def test_a_fixed_signing_time_gives_the_same_bytes(self):
        fixed = {"SOURCE_DATE_EPOCH": "1264993200"}
        a = self.signed_copy("a.exe", env_extra=fixed).read_bytes()
        b = self.signed_copy("b.exe", env_extra=fixed).read_bytes()
        self.assertEqual(a, b)

    def test_signing_in_place_and_refusals(self):
        copy = self.dir / "in-place.exe"
        copy.write_bytes(self.unsigned)
        r = self.sign(copy, source=copy)
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        self.assertEqual(0, self.verify(copy).returncode)
        cases = [("no key", {"SIGN_KEY": ""}), ("a missing key file", {"SIGN_KEY": str(self.dir / "none.pem")}),
                 ("the key of another certificate", {"SIGN_KEY": str(self.other_key)})]
        for what, env in cases:
            with self.subTest(what):
                out = self.dir / "refused.exe"
                r = self.sign(out, env_extra=env)
                self.assertNotEqual(0, r.returncode, r.stdout)
                self.assertFalse(out.exists())
                self.assertEqual([], list(self.dir.glob("*.signing")))

    def test_dist_folder_lists_sums_and_signatures(self):
        signed = self.signed_copy("for-dist.exe")
        dist = self.dir / "dist"
        r = run(["bash", SOURCE / "scripts" / "dist.sh", "collect", dist, "setup.exe=%s" % signed,
                 "setup-unsigned.exe=%s" % (BUILD / "setup.exe")])
        self.assertEqual(0, r.returncode, r.stdout + r.stderr)
        self.assertRegex(r.stdout, r"setup\.exe +signed\n")
        self.assertRegex(r.stdout, r"setup-unsigned\.exe +unsigned\n")
        self.assertEqual(["SHA256SUMS", "setup-unsigned.exe", "setup.exe"], sorted(p.name for p in dist.iterdir()))
        want = "".join("%s  %s\n" % (hashlib.sha256((dist / n).read_bytes()).hexdigest(), n)
                       for n in ("setup.exe", "setup-unsigned.exe"))
        self.assertEqual(want, (dist / "SHA256SUMS").read_text())
        self.assertEqual(signed.read_bytes(), (dist / "setup.exe").read_bytes())

    @unittest.skipUnless(ARCH == "x64", "only the 64-bit twin runs here")
    def test_signed_twin_installs_under_wine(self):
        (self.dir / "twin").mkdir()
        signed = self.signed_copy("twin/setup.exe")
        tz = "Europe/Berlin"
        with WineSession(self.id(), tz=tz) as s:
            s.setup_exe = signed
            d = open_wizard(s, "win7")
            to_destination(d)
            run_ = run_installation(d)
            self.check_installed(s, d, run_, DEFAULT_DIR, 1, True, tz, "signed twin")


if __name__ == "__main__":
    unittest.main()
