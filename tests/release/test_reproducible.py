"""A fresh build of this tree, in a folder at another path, gives the same setup.exe, payload
programs and payloads as this build, byte for byte, and none of them holds a build or source
path. (scripts/check-reproducible.sh goes further: two copies of a commit at different paths.)"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, os.path.dirname(__file__))
from compare_builds import compare  # noqa: E402

ENV = os.environ


class Reproducible(unittest.TestCase):
    def test_fresh_build_gives_the_same_bytes(self):
        build = Path(ENV["RELEASE_BUILD_DIR"]).resolve()
        source = Path(ENV["RELEASE_SOURCE_DIR"]).resolve()
        work = Path(tempfile.mkdtemp(prefix="reproducible-"))
        try:
            fresh = work / "another-build-folder"
            # Unsigned, whatever this build does: a signature is compared as if it were absent.
            env = {k: v for k, v in ENV.items() if k not in ("SIGN_CERT", "SIGN_KEY", "MAKEFLAGS")}
            # Another day on the clock: a tool that stamps the local date shows up.
            env["TZ"] = "Pacific/Kiritimati"
            configure = ["cmake", "-S", str(source), "-B", str(fresh),
                         "-DCMAKE_BUILD_TYPE=" + ENV["RELEASE_BUILD_TYPE"],
                         "-DCMAKE_TOOLCHAIN_FILE=" + ENV["RELEASE_TOOLCHAIN"],
                         "-DHOST_TOOLS_DIR=" + ENV["RELEASE_HOST_TOOLS"], "-DSIGN_CERT=", "-DSIGN_KEY="]
            targets = ENV["RELEASE_TARGETS"].split(",")
            for cmd in (configure, ["cmake", "--build", str(fresh), "-j", str(os.cpu_count() or 2),
                                    "--target"] + targets):
                r = subprocess.run(cmd, env=env, capture_output=True, text=True)
                self.assertEqual(0, r.returncode, "%s\n%s%s" % (" ".join(cmd), r.stdout[-3000:], r.stderr[-3000:]))
            problems, figures = compare(build, fresh, forbid=[str(source), str(build), str(fresh)])
            print("\n".join(figures))
            self.assertEqual([], problems, "\n" + "\n".join(problems) +
                             "\n(if the sources changed since this build was made, rebuild it first)")
        finally:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
