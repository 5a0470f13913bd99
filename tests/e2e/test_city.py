"""A player starts a new city from the title menu and sees it under the HUD:
the kill counts at the top left, full energy and health bars along the bottom,
the darkness closing in at the corners, all of it still there in a fight. The
city depends on the clock the game was seeded from and on nothing else; the
view eases out and zombies walk in, so cities are compared once the view has
settled and by what stands still, allowing for a few actors and a sub-pixel
difference in where the camera came to rest."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
OTHER_DAYS = ("2026-03-14 12:00:00", "2026-07-30 06:30:00")
SAME_VIEW = 8.0     # mean grey difference of thumbnails below which two views match
PIXELS_PER_UNIT = HEIGHT / 800.0            # the HUD is 800 units tall
ENERGY_ROW = int((305 + 400) * PIXELS_PER_UNIT)   # below the "Energy" label, inside its bar
HEALTH_ROW = int((345 + 400) * PIXELS_PER_UNIT)
COUNT_ROWS = range(int(50 * PIXELS_PER_UNIT), int(110 * PIXELS_PER_UNIT))


def new_city_shot(clock, path, game_then=None):
    """Runs the game on a clock starting at `clock`, chooses "Start a new
    game" where a player would and keeps a screenshot of the city once the
    view has eased out, with the pointer in the middle (few zombies have come
    near yet); then hands the game to game_then, if given, before closing it."""
    with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=clock) as game:
        game.wait_window()
        player.choose(game, player.TITLE_ENTRIES, "Start a new game")
        game.play_zoom_picture(path)
        if game_then:
            game_then(game)
        assert game.close() == (0, "", ""), "an unclean exit"
    return path


def white_in_counts(picture):
    """Near-white pixels where the kill counts are written."""
    return sum(1 for y in COUNT_ROWS for x in range(30, 420) if min(driver.rgb_at(picture, x, y)) > 200)


def bar_filled(test, picture, x, row):
    r, g, _ = driver.rgb_at(picture, x, row)
    test.assertGreater(r, g + 40, "bar fill at %d, %d" % (x, row))


class NewCity(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = driver.shots_dir("e2e-city")
        cls.first = new_city_shot(driver.NEW_YEAR, os.path.join(cls.dir, "city1.png"), cls.fight)

    @staticmethod
    def fight(game):
        """Firing all round while walking down, then a picture with the gun
        still firing (the README's picture of play)."""
        game.key_down("s")
        game.button_down(1)
        for x, y in ((650, 450), (150, 450), (150, 150), (650, 150), (600, 420)):
            game.move(x, y)
            time.sleep(0.6)
        NewCity.fighting = driver.read_rgb(game.screenshot_png(os.path.join(driver.shots_dir("e2e-hud"),
                                                                            "in-play.png")))
        game.button_up(1)
        game.key_up("s")

    def test_a_new_game_shows_the_city_under_the_hud(self):
        city = driver.read_rgb(self.first)
        self.assertEqual((WIDTH, HEIGHT), city[:2])
        self.assertGreater(driver.distinct_colours(city[2]), 50)
        for row in (ENERGY_ROW, HEALTH_ROW):
            for x in (250, 400, 740):
                bar_filled(self, city, x, row)
        self.assertGreater(white_in_counts(city), 200)
        # The vignette keeps less than a sixth of whatever lies in the corners.
        for x, y in ((0, 0), (WIDTH - 8, 0), (0, HEIGHT - 8), (WIDTH - 8, HEIGHT - 8)):
            brightest = max(max(driver.rgb_at(city, x + i, y + j)) for i in range(8) for j in range(8))
            self.assertLess(brightest, 255 // 6, (x, y))

    def test_the_hud_stays_over_a_fight(self):
        self.assertGreater(white_in_counts(self.fighting), 200)
        bar_filled(self, self.fighting, 100, HEALTH_ROW)

    def test_the_same_clock_builds_the_same_city(self):
        again = new_city_shot(driver.NEW_YEAR, os.path.join(self.dir, "city2.png"))
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
