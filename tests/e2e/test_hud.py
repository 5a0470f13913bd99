"""A player starts a new game and sees the heads-up display over the city: the
kill counts at the top left, full energy and health bars along the bottom and
the darkness closing in at the corners."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)
START_ENTRY_Y = (200 + 15) * HEIGHT // 800  # middle of the first entry's band
PIXELS_PER_UNIT = HEIGHT / 800.0            # the HUD is 800 units tall
ENERGY_ROW = int((305 + 400) * PIXELS_PER_UNIT)   # below the "Energy" label, inside its bar
HEALTH_ROW = int((345 + 400) * PIXELS_PER_UNIT)
COUNT_ROWS = range(int(50 * PIXELS_PER_UNIT), int(110 * PIXELS_PER_UNIT))


def pixel(data, x, y):
    i = (y * WIDTH + x) * 3
    return data[i], data[i + 1], data[i + 2]


def brightest(data, x0, y0, size):
    """Highest channel value in a size x size block."""
    return max(max(pixel(data, x, y)) for x in range(x0, x0 + size) for y in range(y0, y0 + size))


class HudOverANewGame(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        out = os.path.abspath("e2e-hud")
        os.makedirs(out, exist_ok=True)
        cls.shot = os.path.join(out, "new-game.png")
        with driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS,
                         faketime="2026-01-01 00:00:00") as game:
            game.wait_window(WIDTH, HEIGHT)
            game.click(1, WIDTH // 2, START_ENTRY_Y)
            time.sleep(1.0)
            game.screenshot_png(cls.shot)
            cls.fight(game, os.path.join(out, "in-play.png"))
            rc, _, _ = game.close()
            assert rc == 0, "exit code %r" % rc
        _, _, cls.data = driver.read_rgb(cls.shot)
        _, _, cls.fighting = driver.read_rgb(cls.fight_shot)

    @classmethod
    def fight(cls, game, shot):
        """A few seconds of a fight on the run: firing all round while walking
        down, then a picture with the gun still firing (the README's picture of play)."""
        cls.fight_shot = shot
        game.key_down("s")
        game.button_down(1)
        for x, y in ((650, 450), (150, 450), (150, 150), (650, 150), (600, 420)):
            game.move(x, y)
            time.sleep(0.6)
        game.screenshot_png(shot)
        game.button_up(1)
        game.key_up("s")

    def test_full_bars_run_across_the_bottom_in_one_colour(self):
        for row in (ENERGY_ROW, HEALTH_ROW):
            left, middle, right = (pixel(self.data, x, row) for x in (250, 400, 740))
            for p in (left, middle, right):
                self.assertGreater(p[0], p[1] + 40, "bar fill at row %d: %r" % (row, p))

    def test_kill_counts_are_written_in_white_at_the_top_left(self):
        white = sum(1 for y in COUNT_ROWS for x in range(30, 420)
                    if min(pixel(self.data, x, y)) > 200)
        self.assertGreater(white, 200)

    def test_the_hud_stays_over_a_fight(self):
        white = sum(1 for y in COUNT_ROWS for x in range(30, 420)
                    if min(pixel(self.fighting, x, y)) > 200)
        self.assertGreater(white, 200)
        p = pixel(self.fighting, 100, HEALTH_ROW)
        self.assertGreater(p[0], p[1] + 40, "health bar fill: %r" % (p,))

    def test_darkness_closes_in_at_the_corners(self):
        # The vignette keeps less than a sixth of whatever lies in the corners.
        for x, y in ((0, 0), (WIDTH - 8, 0), (0, HEIGHT - 8), (WIDTH - 8, HEIGHT - 8)):
            self.assertLess(brightest(self.data, x, y, 8), 255 // 6, (x, y))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
