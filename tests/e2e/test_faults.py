"""The fault runs of the driver (VG_E2E_FAULT=readonly or diskfull) really take
the game's working directory away from it: a stand-in for the game that
writes there fails in a fault run and succeeds in a normal one, and in both
finds its settings and pictures."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None
PROBE = """#!/bin/sh
[ -f settings.ini ] && [ -f Media/spritesheettexture.png ] || exit 5
{ printf saved > probe.dat; } 2>/dev/null && [ -s probe.dat ] && exit 0
exit 4
"""   # exit 5: settings or pictures missing; 4: the write failed; 0: it worked


class FaultRuns(unittest.TestCase):
    def test_a_fault_run_stops_every_write_and_a_normal_run_none(self):
        with tempfile.TemporaryDirectory(prefix="vg-probe-") as scratch:
            probe = os.path.join(scratch, "probe.sh")
            with open(probe, "w") as f:
                f.write(PROBE)
            os.chmod(probe, 0o700)
            with driver.Game(probe, MEDIA, settings="screenw=640\n", no_display=True) as g:
                self.assertEqual(g.wait_exit(), (4 if driver.FAULT else 0, "", ""))
                self.assertEqual(g.files(), driver.written_files("probe.dat"))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
