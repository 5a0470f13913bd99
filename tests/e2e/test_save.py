"""A player saves a game from the main menu and loads it again, in the same run
or in a later one; a missing or damaged "save.dat" keeps the menu open and the
game running, and loading never changes the file."""

import os
import shutil
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
from driver import differing_pixels, settled_screenshot  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)
NEW_YEAR = "2026-01-01 00:00:00"
SPRING = "2026-03-14 12:00:00"
LAYER = 256 * 257               # one text layer: 256 rows of 256 cells and a line feed
EMPTY_SAVE_BYTES = 263315       # no boxes, props or list entries, one player
VOID_EDGE = 60                  # the hand-made city: void west of this column
CAMERA = (64.5, 64.0125, 7.5)   # the saved view, already where a healthy player's camera
                                # settles with the pointer on "Load game": 80 pixels a cell
VOID_RIGHT = 40                 # window x where the void ends in that view


def entry_y(index):
    """Window y of the middle of menu entry `index` (30-unit bands from -200)."""
    return (30 * index - 185 + 400) * HEIGHT // 800


def hand_made_save():
    """A save written byte by byte: void west of column 60, a checkerboard of
    floor east of it, one player alone at (64.5, 64.5), the camera four and a
    half cells east of the void's edge."""
    rows = []
    for layer in range(4):
        for y in range(256):
            if layer == 0:
                row = bytes(32 + (0 if x < VOID_EDGE else 8 + (x + y) % 2) for x in range(256))
            else:
                row = bytes([32]) * 256
            rows.append(row + b"\n")
    out = b"".join(rows[:3 * 256]) + b"\n" + b"".join(rows[3 * 256:]) + b"\n"
    out += struct.pack("<7i", 1, 1, 0, 0, 0, 0, 0)
    out += struct.pack("<4i6f", 0, 0, 0, 3, 64.5, 64.5, 0, 0, 0, 100)
    out += b"\n" + struct.pack("<i", 0) + b"\n" + struct.pack("<i", 0) + b"\n"
    out += struct.pack("<i", 0) + b"\n" + struct.pack("<i", 0) + b"\n"
    out += struct.pack("<i8f", 1, 0, 0, 64.5, 64.5, 0, 0, 100, 0)
    out += struct.pack("<3f2i", *CAMERA, 5, 0)
    return out


def mean_brightness(data, x0, x1):
    """Mean channel value of the columns x0..x1 of a WIDTH-wide RGB picture."""
    total = count = 0
    for y in range(0, HEIGHT, 4):
        row = data[(y * WIDTH + x0) * 3:(y * WIDTH + x1) * 3]
        total += sum(row)
        count += len(row)
    return total / count


class SaveAndLoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = os.path.abspath("e2e-save")
        os.makedirs(cls.dir, exist_ok=True)

    def shot(self, name):
        return os.path.join(self.dir, name)

    def check_layout(self, data):
        """What any save holds: its least size, text layers of values 0..15
        with a line feed after every row."""
        self.assertGreaterEqual(len(data), EMPTY_SAVE_BYTES)
        for layer in range(3):
            start = layer * LAYER
            rows = data[start:start + LAYER]
            self.assertEqual(rows[256::257], b"\n" * 256)
            self.assertTrue(all(32 <= b <= 47 for i, b in enumerate(rows) if i % 257 != 256))

    def test_a_missing_or_damaged_save_keeps_the_menu_and_a_sound_one_is_played(self):
        save = hand_made_save()
        self.check_layout(save)
        with driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS,
                         faketime=NEW_YEAR) as g:
            g.wait_window(WIDTH, HEIGHT)
            g.move(WIDTH // 2, entry_y(1))  # "Load game" highlighted
            menu = settled_screenshot(g, self.shot("menu.png"))

            g.click(1, WIDTH // 2, entry_y(1))  # "Load game" with no file at all
            self.assertEqual(0, differing_pixels(menu, settled_screenshot(g, self.shot("nofile.png"))))

            damaged = save[:LAYER] + b"\x7f" + save[LAYER + 1:]  # a rotation of 95 quarter turns
            with open(g.path("save.dat"), "wb") as f:
                f.write(damaged)
            g.click(1, WIDTH // 2, entry_y(1))
            self.assertEqual(0, differing_pixels(menu, settled_screenshot(g, self.shot("damaged.png"))))
            self.assertTrue(g.running())
            with open(g.path("save.dat"), "rb") as f:
                self.assertEqual(f.read(), damaged)

            if driver.FAULT == "diskfull":
                # The game sees its own full disk, not files put beside it
                # after it started: there is no sound save to find.
                self.assertEqual(g.close()[0], 0)
                return
            with open(g.path("save.dat"), "wb") as f:
                f.write(save)
            g.click(1, WIDTH // 2, entry_y(1))
            time.sleep(0.3)  # zombies come in from beyond the view: take the first picture
            loaded = g.screenshot_png(self.shot("loaded.png"))
            self.assertGreater(differing_pixels(menu, loaded), WIDTH * HEIGHT // 4)
            _, _, data = driver.read_rgb(loaded)
            # The saved view: the dark void on the left, the floor from there on.
            self.assertLess(mean_brightness(data, 0, VOID_RIGHT - 10), 20)
            self.assertGreater(mean_brightness(data, VOID_RIGHT + 20, WIDTH), 60)
            with open(g.path("save.dat"), "rb") as f:
                self.assertEqual(f.read(), save)
            rc, _, _ = g.close()
            self.assertEqual(rc, 0)

    def test_a_game_saved_from_the_menu_is_played_again_in_a_later_run(self):
        kept = self.shot("saved.dat")
        with driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS,
                         faketime=NEW_YEAR) as g:
            g.wait_window(WIDTH, HEIGHT)
            g.click(1, WIDTH // 2, entry_y(0))  # "Start a new game"
            time.sleep(1.0)
            playing = g.screenshot_png(self.shot("playing.png"))
            g.key("Return")
            time.sleep(0.5)
            menu = g.screenshot_png(self.shot("game-menu.png"))
            self.assertGreater(differing_pixels(playing, menu), WIDTH * HEIGHT // 4)
            g.click(1, WIDTH // 2, entry_y(2))  # "Save game"
            time.sleep(0.5)
            driver.expect_written(self, g.path("save.dat"))
            if driver.FAULT:
                self.assertEqual(g.close()[0], 0)
                return
            shutil.copyfile(g.path("save.dat"), kept)
            rc, _, _ = g.close()
            self.assertEqual(rc, 0)
        with open(kept, "rb") as f:
            saved = f.read()
        self.check_layout(saved)

        # Another clock: a new game would be another city.
        with driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS,
                         faketime=SPRING) as g:
            g.wait_window(WIDTH, HEIGHT)
            shutil.copyfile(kept, g.path("save.dat"))
            g.click(1, WIDTH // 2, entry_y(1))  # "Load game" on the title menu
            time.sleep(1.0)
            again = g.screenshot_png(self.shot("played-again.png"))
            # The same streets around the same player, seen from nearly the same
            # place (the pointer aims from another entry); only actors differ.
            dx, dy, mismatch = driver.view_shift(playing, again, dxs=range(-10, 11), dys=range(-10, 11))
            self.assertLess(abs(dx), 40)
            self.assertLess(abs(dy), 40)
            self.assertLess(mismatch, 8)
            with open(g.path("save.dat"), "rb") as f:
                self.assertEqual(f.read(), saved)
            rc, _, _ = g.close()
            self.assertEqual(rc, 0)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
