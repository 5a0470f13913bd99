"""The fault runs of the driver (VG_E2E_FAULT=readonly or diskfull) really take
the game's working directory away from it: a stand-in for the game that
tries to write there fails in a fault run and succeeds in a normal one, and
in both it still finds its settings and pictures."""

import os
import stat
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None

# Exit 5: settings or pictures missing; 4: the write failed; 0: it worked.
PROBE = """#!/bin/sh
[ -f settings.ini ] && [ -f Media/spritesheettexture.png ] || exit 5
{ printf saved > probe.dat; } 2>/dev/null && [ -s probe.dat ] && exit 0
exit 4
"""


class FaultRuns(unittest.TestCase):

    def test_a_fault_run_stops_every_write_and_a_normal_run_none(self):
        with tempfile.TemporaryDirectory(prefix="vg-probe-") as scratch:
            probe = os.path.join(scratch, "probe.sh")
            with open(probe, "w") as f:
                f.write(PROBE)
            os.chmod(probe, stat.S_IRWXU)
            with driver.Game(probe, MEDIA, settings="screenw=640\n", no_display=True) as g:
                rc, out, err = g.wait_exit()
                self.assertEqual(rc, 0 if driver.FAULT is None else 4, driver.FAULT)
                self.assertEqual((out, err), ("", ""))
                driver.expect_written(self, g.path("probe.dat"))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
