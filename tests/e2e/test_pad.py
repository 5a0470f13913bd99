"""A player with a game pad and a rebound key, in one muted game. The pad is a FIFO
that SDL reads as a Linux joystick (8-byte records: time in ms, value, type 1
button or 2 axis, number); SDL_LINUX_JOYSTICK gives it 6 axes. What each step
read comes back from the game's recording, which the replay program must
play to the same end."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None
WIDTH, HEIGHT, FULL = 800, 600, 32767
GUN, THROW, MOVE, POINTER, SPEED, END = 2, 4, 16, 32, 64, 128   # step flags


def recorded_steps(path):
    """Each step of a recording as (flags, across, along, pointer x, y), the
    unchanged values carried on, and the player's x at every checkpoint."""
    with open(path, "rb") as f:
        data = f.read()
    header = 68 if struct.unpack_from("<I", data, 8)[0] >= 3 else 64   # the best score came with format 3
    at = header + struct.unpack_from("<I", data, 60)[0]   # the header, then any packed save
    steps, xs, values = [], [], [0, 0, 0, 0]
    while data[at] != END:
        flags, at = data[at], at + 1
        for flag, first in ((MOVE, 0), (POINTER, 2)):
            if flags & flag:
                values[first:first + 2] = struct.unpack_from("<hh", data, at)
                at += 4
        at += (4 if flags & SPEED else 0) + 1              # the speed, then the step's fingerprint
        steps.append(tuple([flags] + values))
        if len(steps) % 60 == 0:
            xs.append(struct.unpack_from("<f", data, at + 20)[0])
            at += 44
    return steps, xs + [struct.unpack_from("<f", data, at + 21)[0]]


class Pad(unittest.TestCase):
    def axes(self, first, *values, hold=0.0, kind=2):
        """Writes pad records (axes from `first` on, or one button) and waits `hold` seconds."""
        for i, v in enumerate(values):
            os.write(self.pad, struct.pack("<IhBB", int(time.monotonic() * 1000) & 0xFFFFFFFF, v, kind, first + i))
        time.sleep(hold)

    def test_a_pad_starts_walks_aims_fires_and_throws_a_rebound_key_walks_and_the_game_replays(self):
        fifo = os.path.join(tempfile.mkdtemp(prefix="vg-pad-"), "js0")
        self.addCleanup(shutil.rmtree, os.path.dirname(fifo), True)
        os.mkfifo(fifo)
        self.pad = os.open(fifo, os.O_RDWR)   # held open both ways, so SDL never sees the pad end
        self.addCleanup(os.close, self.pad)
        sound = os.path.join(os.path.dirname(fifo), "sound.raw")   # muted: no audio device is opened
        env = {"SDL_JOYSTICK_DEVICE": fifo, "SDL_LINUX_JOYSTICK": "'%s' 6 1 0" % fifo, "SDL_AUDIODRIVER": "disk",
               "SDL_DISKAUDIOFILE": sound}
        settings = "screenw=%d\nscreenh=%d\nkeyright=l\nmute=1\n" % (WIDTH, HEIGHT)
        with driver.Game(GAME, MEDIA, settings=settings, faketime=driver.NEW_YEAR, env=env) as g:
            g.size = (WIDTH, HEIGHT)
            self.axes(0, 3000, -2500, -32768)            # stick resting off centre, left trigger at the bottom
            g.wait_window()
            self.axes(0, 1, hold=driver.HOLD, kind=1)    # A with nothing moved: "Start a new game"
            self.axes(0, 0, kind=1)
            g.play_zoom_picture(os.path.join(os.path.dirname(g.workdir), "playing.png"))
            self.axes(0, 20000, -20000, hold=0.8)        # up and to the right
            self.axes(0, 0, 0)
            self.axes(3, 0, -FULL, hold=0.3)             # aim straight up, then let go
            self.axes(3, 1500, 800, hold=0.3)
            self.axes(5, FULL, hold=0.3)                 # the right trigger fires
            self.axes(5, 0, hold=0.3)
            self.axes(2, 16000, hold=0.3)                # the left trigger, past its middle, throws
            self.axes(2, -32768, hold=0.3)
            g.keys("d", "l", "l", hold=0.4)              # d no longer walks right; l does, twice
            driver.assert_quiet_exit(self, g.close())
            self.assertFalse(os.path.exists(sound), "a muted game opened the audio device")
            recording = g.path("lastgame.rec")
            if driver.FAULT is not None:
                self.assertNotIn("lastgame.rec", g.files())
                return
            steps, xs = recorded_steps(recording)
            replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
            r = subprocess.run([replay, "--check", recording], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        walks = [i for i, s in enumerate(steps) if s[1:3] != (0, 0)]
        self.assertGreater(walks[0], 0, "the resting stick walked")
        self.assertTrue(any(s[2] > 0 for s in steps), "the stick did not walk up the screen")
        self.assertTrue(all(0 < s[1] for s in steps if s[1]), "a walk to the left")
        key_walks = [i for i in walks if steps[i][1] == FULL and steps[i - 1][1] != FULL]
        self.assertEqual(len(key_walks), 2, "d walked, or l did not")
        self.assertGreater(xs[-1], xs[0] + 0.5, "the player did not walk right")
        up = (WIDTH // 2, HEIGHT // 2 - int(0.35 * HEIGHT))
        aims = [i for i, s in enumerate(steps) if s[3:5] == up]
        self.assertTrue(aims, "the aim did not go up")
        self.assertEqual(aims[-1], len(steps) - 1, "the aim did not stay up")
        fired = [i for i, s in enumerate(steps) if s[0] & GUN]
        thrown = [i for i, s in enumerate(steps) if s[0] & THROW]
        self.assertTrue(fired, "the right trigger did not fire")
        self.assertTrue(thrown, "the left trigger did not throw")
        self.assertLess(aims[0], fired[0], "a resting trigger fired")
        self.assertLess(fired[-1], thrown[0], "a resting trigger threw")


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
