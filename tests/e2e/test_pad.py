"""A player with a game pad and a rebound key, in one game. The pad is a FIFO
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
SPRINT, GUN, THROW, MENU_KEY, MOVE, POINTER, SPEED, END = 1, 2, 4, 8, 16, 32, 64, 128   # step flags


class VirtualPad:
    """A FIFO held open for reading and writing, so SDL never sees it end."""

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="vg-pad-")
        self.path = os.path.join(self.dir, "js0")
        os.mkfifo(self.path)
        self.fd = os.open(self.path, os.O_RDWR)
        self.env = {"SDL_JOYSTICK_DEVICE": self.path, "SDL_LINUX_JOYSTICK": "'%s' 6 1 0" % self.path}
        return self

    def __exit__(self, *exc):
        os.close(self.fd)
        shutil.rmtree(self.dir, ignore_errors=True)

    def send(self, kind, number, value):
        os.write(self.fd, struct.pack("<IhBB", int(time.monotonic() * 1000) & 0xFFFFFFFF, value, kind, number))

    def axes(self, first, *values, hold=0.0):
        for i, v in enumerate(values):
            self.send(2, first + i, v)
        time.sleep(hold)


def recorded_steps(path):
    """Each step of a recording as (flags, across, along, pointer x, y), the
    unchanged values carried on, and the player's x at every checkpoint."""
    with open(path, "rb") as f:
        data = f.read()
    at = 64 + struct.unpack_from("<I", data, 60)[0]     # the header, then any packed save
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
    def test_a_pad_starts_walks_aims_fires_and_throws_a_rebound_key_walks_and_the_game_replays(self):
        with VirtualPad() as pad, driver.Game(GAME, MEDIA, settings="screenw=%d\nscreenh=%d\nkeyright=l\n"
                                              % (WIDTH, HEIGHT), faketime=driver.NEW_YEAR, env=pad.env) as g:
            g.size = (WIDTH, HEIGHT)
            pad.axes(0, 3000, -2500, -32768)             # stick resting off centre, left trigger at the bottom
            g.wait_window()
            pad.send(1, 0, 1)                            # A with nothing moved: "Start a new game"
            time.sleep(driver.HOLD)
            pad.send(1, 0, 0)
            g.play_zoom_picture(os.path.join(os.path.dirname(g.workdir), "playing.png"))
            pad.axes(0, 24576, 0, hold=0.8)              # three quarters right
            pad.axes(0, 0, 0)
            pad.axes(3, 0, -FULL, hold=0.3)              # aim straight up, then let go
            pad.axes(3, 1500, 800, hold=0.3)
            pad.axes(5, FULL, hold=0.3)                  # the right trigger fires
            pad.axes(5, 0, hold=0.3)
            pad.axes(2, 16000, hold=0.3)                 # the left trigger, past its middle, throws
            pad.axes(2, -32768, hold=0.3)
            g.keys("d", "l", hold=0.5)                   # d no longer walks right; l does
            self.assertEqual(g.close(), (0, "", ""))
            recording = g.path("lastgame.rec")
            driver.expect_written(self, recording)
            if driver.FAULT is not None:
                return
            steps, xs = recorded_steps(recording)
            replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
            r = subprocess.run([replay, "--check", recording], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        walks = [i for i, s in enumerate(steps) if s[1:3] != (0, 0)]
        self.assertGreater(walks[0], 0, "the resting stick walked")
        self.assertEqual({s[2] for s in steps}, {0})
        self.assertTrue(any(0 < s[1] < FULL for s in steps), "no analogue walk")
        self.assertTrue(all(0 < s[1] for s in steps if s[1]), "a walk to the left")
        key_walks = [i for i in walks if steps[i][1] == FULL and steps[i - 1][1] != FULL]
        self.assertEqual(len(key_walks), 1, "d walked, or l did not")
        self.assertGreater(xs[-1], xs[0] + 1, "the player did not walk right")
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
        self.assertFalse(any(s[0] & (SPRINT | MENU_KEY) for s in steps))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
