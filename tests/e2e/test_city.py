"""A player starts a new city from the title menu; the city drawn depends on the
clock the game was seeded from and on nothing else. The game runs once it
starts: the view eases out and zombies walk in, so the city is looked at once
the view has settled and compared by what stands still, allowing for a few
actors and a sub-pixel difference in where the camera came to rest."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)
NEW_YEAR = "2026-01-01 00:00:00"
OTHER_DAYS = ("2026-03-14 12:00:00", "2026-07-30 06:30:00")
START_ENTRY_Y = (200 + 15) * HEIGHT // 800  # middle of the first entry's band
EASE_SECONDS = 2.0  # the view has eased out, and few zombies have reached it yet
SAME_VIEW = 8.0     # mean grey difference of thumbnails below which two views match


def distinct_colours(data):
    return len({bytes(data[i:i + 3]) for i in range(0, len(data), 3)})


def spread(data):
    """Standard deviation of all channel values, 0..255 scale."""
    n = len(data)
    mean = sum(data) / n
    return (sum((v - mean) ** 2 for v in data) / n) ** 0.5


def new_city_shot(clock, path, menu_path=None):
    """Runs the game with the clock starting at `clock`, chooses "Start a new
    game" where a player would, puts the pointer back in the middle and keeps
    a screenshot of the city once the view has eased out."""
    with driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS,
                     faketime=clock) as game:
        game.wait_window(WIDTH, HEIGHT)
        if menu_path:
            driver.settled_screenshot(game, menu_path)
        game.click(1, WIDTH // 2, START_ENTRY_Y)
        game.move(WIDTH // 2, HEIGHT // 2)
        time.sleep(EASE_SECONDS)
        game.screenshot_png(path)
        rc, _, _ = game.close()
        assert rc == 0, "exit code %r" % rc
    return path


class NewCity(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = os.path.abspath("e2e-city")
        os.makedirs(cls.dir, exist_ok=True)
        cls.menu = os.path.join(cls.dir, "menu.png")
        cls.first = new_city_shot(NEW_YEAR, os.path.join(cls.dir, "city1.png"), cls.menu)

    def test_start_a_new_game_shows_a_city_instead_of_the_menu(self):
        w, h, data = driver.read_rgb(self.first)
        self.assertEqual((WIDTH, HEIGHT), (w, h))
        self.assertGreater(distinct_colours(data), 50)
        self.assertGreater(spread(data[::7]), 10.0)
        self.assertGreater(driver.differing_pixels(self.menu, self.first), WIDTH * HEIGHT // 4)

    def test_the_same_clock_builds_the_same_city(self):
        again = new_city_shot(NEW_YEAR, os.path.join(self.dir, "city2.png"))
        dx, dy, mismatch = driver.view_shift(self.first, again, dxs=range(-2, 3), dys=range(-2, 3))
        self.assertEqual((0, 0), (dx, dy))
        self.assertLess(mismatch, SAME_VIEW)

    def test_another_clock_builds_another_city(self):
        # One small view might match by chance; two other days both matching
        # would mean the clock plays no part.
        mismatches = [driver.view_shift(self.first, new_city_shot(
            day, os.path.join(self.dir, "other%d.png" % i)), dxs=range(0, 1), dys=range(0, 1))[2]
            for i, day in enumerate(OTHER_DAYS)]
        self.assertGreater(max(mismatches), 2 * SAME_VIEW, mismatches)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
