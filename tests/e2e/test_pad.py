"""A player with a game pad, and one with rebound keys.

The pad is a FIFO that SDL reads as a Linux joystick: 8-byte records of
time (ms), value, type (1 button, 2 axis) and number. SDL_LINUX_JOYSTICK
gives it 6 axes and a hat (driven by axes 6 and 7) but only 2 buttons, so
the scenario's settings.ini moves sprint, Start and Back onto what exists.
What the game did is read back from the recording it leaves ("lastgame.rec"),
whose every step holds the input the step read, and the replay program must
play that recording to the same end."""

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

WIDTH, HEIGHT = 800, 600
FULL = 32767
AIM_REACH = int(0.35 * HEIGHT)   # the aiming stick points this far from the middle
PAD_SETTINGS = "padsprint=button1\npadmenu=hat0right\npadpause=hat0left\n"
VIGNETTES = ("borderdarknesstexture.png", "borderbloodtexture.png")

# The recording's step flags.
SPRINT, GUN, THROW, MENU_KEY, MOVE, POINTER, SPEED, END = 1, 2, 4, 8, 16, 32, 64, 128
HEADER_BYTES, CHECKPOINT_BYTES, CHECKPOINT_STEPS = 60, 44, 60


class VirtualPad:
    """A FIFO held open for reading and writing, so SDL never sees it end."""

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="vg-pad-")
        self.path = os.path.join(self.dir, "js0")
        os.mkfifo(self.path)
        self.fd = os.open(self.path, os.O_RDWR)
        self.start = time.monotonic()
        return self

    def __exit__(self, *exc):
        os.close(self.fd)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def env(self):
        return {"SDL_JOYSTICK_DEVICE": self.path, "SDL_LINUX_JOYSTICK": "'%s' 6 1 0" % self.path}

    def send(self, kind, number, value):
        ms = int((time.monotonic() - self.start) * 1000) & 0xFFFFFFFF
        os.write(self.fd, struct.pack("<IhBB", ms, value, kind, number))

    def axis(self, number, value):
        self.send(2, number, value)

    def stick(self, first_axis, x, y):
        self.axis(first_axis, x)
        self.axis(first_axis + 1, y)

    def press(self, button, hold=driver.HOLD, gap=driver.GAP):
        self.send(1, button, 1)
        time.sleep(hold)
        self.send(1, button, 0)
        time.sleep(gap)


def read_recording(path):
    """The steps of a recording as (flags, across, along, x, y), each carrying
    the values that did not change, and the player's (x, y) at every
    checkpoint, the last one included."""
    with open(path, "rb") as f:
        data = f.read()
    save_size = struct.unpack_from("<I", data, 56)[0]
    at = HEADER_BYTES + save_size
    steps, places = [], []
    move, pointer = (0, 0), (0, 0)
    while data[at] != END:
        flags = data[at]
        at += 1
        if flags & MOVE:
            move = struct.unpack_from("<hh", data, at)
            at += 4
        if flags & POINTER:
            pointer = struct.unpack_from("<hh", data, at)
            at += 4
        if flags & SPEED:
            at += 4
        steps.append((flags,) + move + pointer)
        if len(steps) % CHECKPOINT_STEPS == 0:
            places.append(struct.unpack_from("<ff", data, at + 20))
            at += CHECKPOINT_BYTES
    places.append(struct.unpack_from("<ff", data, at + 1 + 20))
    return steps, places


def replay_check(game):
    """Runs the replay program's check in the game's directory."""
    replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
    return subprocess.run([replay, "--check", "lastgame.rec"], cwd=game.workdir, capture_output=True,
                          text=True, timeout=120)


def tracer_pixels(png):
    """Pixels of the yellow-white core of a gun beam."""
    _, _, data = driver.read_rgb(png)
    return sum(1 for i in range(0, len(data), 3)
               if data[i] > 235 and data[i + 1] > 235 and 20 < data[i] - data[i + 2] < 90)


def media_with_clear_vignettes(media):
    """The pictures with the HUD's vignettes made transparent: they stand
    still while the world moves and would outweigh a lawn when the test
    measures how far the view moved."""
    clear = os.path.abspath("e2e-pad-media")
    shutil.rmtree(clear, ignore_errors=True)
    os.makedirs(clear)
    for name in os.listdir(media):
        os.symlink(os.path.join(media, name), os.path.join(clear, name))
    for name in VIGNETTES:
        os.remove(os.path.join(clear, name))
        subprocess.run(["convert", "-size", "16x16", "xc:none", "PNG32:" + os.path.join(clear, name)],
                       check=True)
    return clear


def game_with(settings, env=None):
    g = driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings="screenw=%d\nscreenh=%d\n%s"
                    % (WIDTH, HEIGHT, settings), faketime=driver.NEW_YEAR, env=env)
    g.size = (WIDTH, HEIGHT)
    return g


def runs(values):
    """The runs of equal neighbours in a list, as (value, length)."""
    out = []
    for v in values:
        if out and out[-1][0] == v:
            out[-1][1] += 1
        else:
            out.append([v, 1])
    return [tuple(r) for r in out]


class Pad(unittest.TestCase):
    def shot(self, game, name):
        return game.screenshot_png(os.path.join(SHOTS, name + ".png"))

    def still_view(self, game, name, tries=30):
        """A picture once the camera has come to rest."""
        previous = self.shot(game, name)
        for _ in range(tries):
            time.sleep(0.2)
            path = self.shot(game, name)
            dx, dy, _ = driver.view_shift(previous, path, dxs=range(-3, 4), dys=range(-3, 4))
            if (dx, dy) == (0, 0):
                return path
            previous = shutil.copy(path, path + ".prev.png")
        raise AssertionError("the view never came to rest")

    def test_a_game_played_with_the_pad_walks_aims_fires_throws_and_replays(self):
        with VirtualPad() as pad, game_with(PAD_SETTINGS, pad.env()) as g:
            # Before the game: a walking stick resting a little off centre,
            # the left trigger resting at the bottom of its travel, the
            # right one at 0.
            pad.stick(0, 3000, -2500)
            pad.axis(2, -32768)
            pad.axis(5, 0)
            g.wait_window()
            pad.press(0)                                 # A, nothing moved: "Start a new game"
            g.play_zoom_picture(os.path.join(SHOTS, "zoomed-out.png"))
            rest_start = self.still_view(g, "rest-0")
            time.sleep(1.0)
            rest_end = self.shot(g, "rest-1")

            pad.stick(0, 24576, 0)                       # three quarters right
            time.sleep(0.8)
            pad.stick(0, 0, 0)
            time.sleep(0.6)
            walked = self.shot(g, "walked")

            pad.stick(3, 0, -FULL)                       # aim straight up, then let go
            time.sleep(0.3)
            pad.stick(3, 1500, 800)
            time.sleep(0.3)

            pad.axis(5, FULL)                            # right trigger fires
            firing = g.picture_when(lambda now: tracer_pixels(now) > 300, os.path.join(SHOTS, "firing.png"))
            pad.axis(5, 0)
            time.sleep(0.3)
            pad.axis(2, 16000)                           # left trigger, past its middle, throws
            time.sleep(0.3)
            pad.axis(2, -32768)
            time.sleep(0.3)
            rc = g.close()
            self.assertEqual(rc, (0, "", ""))

            dx, dy, _ = driver.view_shift(rest_start, rest_end, dxs=range(-30, 31))
            self.assertLessEqual(abs(dx) + abs(dy), 8, "a resting stick moved the view")
            dx, dy, _ = driver.view_shift(rest_end, walked)
            self.assertGreater(dx, 40, "the stick did not walk right: %r" % ((dx, dy),))
            self.assertLess(abs(dy), 20)
            self.assertTrue(firing, "the right trigger drew no gun beam")

            driver.expect_written(self, g.path("lastgame.rec"))
            if driver.FAULT is not None:
                return
            steps, places = read_recording(g.path("lastgame.rec"))
            moves = [(s[1], s[2]) for s in steps]
            walking = [m for m in moves if m != (0, 0)]
            first_walk = moves.index(walking[0])
            self.assertGreater(first_walk, 0)
            # The resting stick gave nothing, and the push an analogue walk:
            # less than a full push, straight across.
            self.assertTrue(all(m == (0, 0) for m in moves[:first_walk]))
            self.assertEqual({m[1] for m in walking}, {0})
            self.assertTrue(all(0 < m[0] < FULL for m in walking), sorted(set(walking)))
            self.assertGreater(places[-1][0], places[0][0] + 1, "the player walked right")

            # The aim went straight up from the middle and stayed there.
            pointers = [(s[3], s[4]) for s in steps]
            up = (WIDTH // 2, HEIGHT // 2 - AIM_REACH)
            self.assertIn(up, pointers)
            self.assertEqual(pointers[-1], up, "the aim did not stay where the stick left it")
            aimed = pointers.index(up)

            # Resting triggers neither fire nor throw; pulled, each does its own.
            fired = [i for i, s in enumerate(steps) if s[0] & GUN]
            thrown = [i for i, s in enumerate(steps) if s[0] & THROW]
            self.assertTrue(fired and thrown, (len(fired), len(thrown)))
            self.assertGreater(fired[0], aimed)
            self.assertGreater(thrown[0], fired[-1])
            self.assertFalse(any(s[0] & (SPRINT | MENU_KEY) for s in steps))

            check = replay_check(g)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
            self.assertIn("%d steps" % len(steps), check.stdout)

    def test_start_opens_the_game_menu_b_resumes_and_back_pauses_and_b_closes_the_pause(self):
        with VirtualPad() as pad, game_with(PAD_SETTINGS, pad.env()) as g:
            g.wait_window()
            title = driver.settled_screenshot(g, os.path.join(SHOTS, "menus-title.png"))
            pad.press(0)
            playing = g.play_zoom_picture(os.path.join(SHOTS, "menus-playing.png"))
            pad.axis(6, FULL)                              # Start (hat right): the game menu
            time.sleep(driver.HOLD)
            pad.axis(6, 0)
            menu = settle_until(g, lambda now: driver.differing_pixels(title, now, "3%") < WIDTH * HEIGHT // 4,
                                "menus-menu")
            self.assertIsNotNone(menu, "Start opened no menu")
            pad.press(1)                                   # B: back to the game
            resumed = settle_until(g, lambda now: driver.differing_pixels(menu, now, "3%") > WIDTH * HEIGHT // 2,
                                   "menus-resumed")
            self.assertIsNotNone(resumed, "B did not resume")
            pad.axis(6, -FULL)                             # Back (hat left): the pause overlay
            time.sleep(driver.HOLD)
            pad.axis(6, 0)
            g.wait_pixel(WIDTH - 5, 55, lambda rgb: rgb[0] > 170 and rgb[1] < 40)
            pad.press(1)                                   # B closes it
            closed = settle_until(g, lambda now: not (lambda rgb: rgb[0] > 170 and rgb[1] < 40)(
                driver.rgb_at(driver.read_rgb(now), WIDTH - 5, 55)), "menus-unpaused")
            self.assertIsNotNone(closed, "B did not close the pause overlay")
            rc = g.close()
            self.assertEqual(rc, (0, "", ""))
            driver.expect_written(self, g.path("lastgame.rec"))
            if driver.FAULT is not None:
                return
            steps, _ = read_recording(g.path("lastgame.rec"))
            self.assertEqual(sum(1 for s in steps if s[0] & MENU_KEY), 1, "Start went down once in play")
            check = replay_check(g)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertGreater(driver.differing_pixels(playing, title), WIDTH * HEIGHT // 2)

    def test_a_rebound_key_walks_and_the_letter_it_replaced_does_not(self):
        with game_with("keyright=l\nkeysprint = left ctrl\n") as g:
            g.wait_window()
            g.click(1, WIDTH // 2, (200 + 15) * HEIGHT // 800)
            start = g.play_zoom_picture(os.path.join(SHOTS, "keys-start.png"))
            g.keys("d", hold=0.5)
            time.sleep(0.4)
            after_d = self.shot(g, "keys-d")
            g.keys("l", hold=0.5)
            time.sleep(0.4)
            after_l = self.shot(g, "keys-l")
            g.key_down("Control_L")
            g.keys("l", hold=0.5)
            g.key_up("Control_L")
            rc = g.close()
            self.assertEqual(rc, (0, "", ""))
            dx, dy, _ = driver.view_shift(start, after_d)
            self.assertLessEqual(abs(dx) + abs(dy), 8, "d still walks")
            dx, dy, _ = driver.view_shift(after_d, after_l)
            self.assertGreater(dx, 40, "l does not walk right")
            driver.expect_written(self, g.path("lastgame.rec"))
            if driver.FAULT is not None:
                return
            steps, _ = read_recording(g.path("lastgame.rec"))
            across = [r for r in runs([s[1] for s in steps]) if r[0] != 0]
            self.assertEqual([r[0] for r in across], [FULL, FULL], "only the two presses of l walk")
            self.assertTrue(any(s[0] & SPRINT for s in steps), "left ctrl does not sprint")


def settle_until(game, condition, name, tries=100):
    """Polls pictures until condition(path) holds; the path, or None."""
    path = os.path.join(SHOTS, name + ".png")
    for _ in range(tries):
        game.screenshot_png(path)
        if condition(path):
            return path
        time.sleep(0.05)
    return None


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    shutil.rmtree("e2e-pad", ignore_errors=True)
    SHOTS = driver.shots_dir("e2e-pad")
    MEDIA = media_with_clear_vignettes(MEDIA)
    unittest.main()
