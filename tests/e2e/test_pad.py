"""A player with a game pad, and one with rebound keys. The pad is a FIFO that
SDL reads as a Linux joystick (8-byte records: time in ms, value, type 1 button
or 2 axis, number); SDL_LINUX_JOYSTICK gives it 6 axes and a hat but only 2
buttons. What each step read comes back from the game's recording, which the
replay program must play to the same end."""

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

GAME, MEDIA, SHOTS = None, None, None
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

    def press(self, button):
        self.send(1, button, 1)
        time.sleep(driver.HOLD)
        self.send(1, button, 0)
        time.sleep(driver.GAP)


def recorded_steps(game):
    """Each step of "lastgame.rec" as (flags, across, along, pointer x, y), the
    unchanged values carried on, and the player's x at every checkpoint."""
    with open(game.path("lastgame.rec"), "rb") as f:
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


def tracer_pixels(png):
    """Pixels of the yellow-white core of a gun beam."""
    _, _, data = driver.read_rgb(png)
    return sum(1 for i in range(0, len(data), 3)
               if data[i] > 235 and data[i + 1] > 235 and 20 < data[i] - data[i + 2] < 90)


def game_with(settings, env=None):
    g = driver.Game(GAME, MEDIA, settings="screenw=%d\nscreenh=%d\n%s" % (WIDTH, HEIGHT, settings),
                    faketime=driver.NEW_YEAR, env=env)
    g.size = (WIDTH, HEIGHT)
    return g


class Pad(unittest.TestCase):
    def check_replay(self, game):
        replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
        r = subprocess.run([replay, "--check", "lastgame.rec"], cwd=game.workdir, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)

    def test_a_pad_starts_walks_aims_fires_throws_and_its_game_replays(self):
        with VirtualPad() as pad, game_with("padsprint=button1\n", pad.env) as g:
            pad.axes(0, 3000, -2500, -32768)             # stick resting off centre, left trigger at the bottom
            g.wait_window()
            pad.press(0)                                 # A with nothing moved: "Start a new game"
            g.play_zoom_picture(os.path.join(SHOTS, "playing.png"))
            pad.axes(0, 24576, 0, hold=0.8)              # three quarters right
            pad.axes(0, 0, 0)
            pad.axes(3, 0, -FULL, hold=0.3)              # aim straight up, then let go
            pad.axes(3, 1500, 800, hold=0.3)
            pad.axes(5, FULL)                            # the right trigger fires
            firing = g.picture_when(lambda now: tracer_pixels(now) > 300, os.path.join(SHOTS, "firing.png"))
            pad.axes(5, 0, hold=0.3)
            pad.axes(2, 16000, hold=0.3)                 # the left trigger, past its middle, throws
            pad.axes(2, -32768, hold=0.3)
            self.assertEqual(g.close(), (0, "", ""))
            self.assertTrue(firing, "the right trigger drew no gun beam")
            driver.expect_written(self, g.path("lastgame.rec"))
            if driver.FAULT is not None:
                return
            steps, xs = recorded_steps(g)
            self.check_replay(g)
        walks = [i for i, s in enumerate(steps) if s[1:3] != (0, 0)]
        self.assertGreater(walks[0], 0, "the resting stick walked")
        self.assertEqual({s[2] for s in steps}, {0})
        self.assertTrue(all(0 < steps[i][1] < FULL for i in walks), "not an analogue walk")
        self.assertGreater(xs[-1], xs[0] + 1, "the player did not walk right")
        up = (WIDTH // 2, HEIGHT // 2 - int(0.35 * HEIGHT))
        aims = [i for i, s in enumerate(steps) if s[3:5] == up]
        self.assertTrue(aims and aims[-1] == len(steps) - 1, "the aim did not go up and stay there")
        fired = [i for i, s in enumerate(steps) if s[0] & GUN]
        thrown = [i for i, s in enumerate(steps) if s[0] & THROW]
        self.assertTrue(fired and thrown, "a pulled trigger did nothing")
        self.assertTrue(aims[0] < fired[0] and fired[-1] < thrown[0], "a resting trigger acted")
        self.assertFalse(any(s[0] & (SPRINT | MENU_KEY) for s in steps))

    def test_a_rebound_key_walks_and_the_letter_it_replaced_does_not(self):
        with game_with("keyright=l\nkeysprint = left ctrl\n") as g:
            g.wait_window()
            g.click(1, WIDTH // 2, (200 + 15) * HEIGHT // 800)
            g.play_zoom_picture(os.path.join(SHOTS, "keys.png"))
            g.keys("d", "l", hold=0.5)
            g.key_down("Control_L")
            g.keys("l", hold=0.5)
            g.key_up("Control_L")
            self.assertEqual(g.close(), (0, "", ""))
            driver.expect_written(self, g.path("lastgame.rec"))
            if driver.FAULT is not None:
                return
            steps, xs = recorded_steps(g)
        across = [s[1] for s in steps]
        walks = [v for i, v in enumerate(across) if v != 0 and (i == 0 or across[i - 1] != v)]
        self.assertEqual(walks, [FULL, FULL], "d walked, or l did not")
        self.assertTrue(any(s[0] & SPRINT and s[1] for s in steps), "left ctrl did not sprint")
        self.assertGreater(xs[-1], xs[0] + 1)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    shutil.rmtree("e2e-pad", ignore_errors=True)
    SHOTS = driver.shots_dir("e2e-pad")
    unittest.main()
