"""A player saves a game from the main menu and loads it again in a later run,
on another clock; a missing or damaged "save.dat" keeps the menu open and the
game running, and loading never changes the file."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402
from driver import differing_pixels, settled_screenshot  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
SPRING = "2026-03-14 12:00:00"
LAYER = 256 * 257               # one text layer: 256 rows of 256 cells and a line feed
EMPTY_SAVE_BYTES = 263315       # no boxes, props or list entries, one player
LOAD_Y = player.menu_entry_y(1, HEIGHT)


class SaveAndLoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = driver.shots_dir("e2e-save")

    def shot(self, name):
        return os.path.join(self.dir, name)

    def load_keeps_the_menu(self, game, name):
        """"Load game" on the title menu changes nothing on the screen;
        returns the picture of the menu with the pointer on that entry."""
        game.move(WIDTH // 2, LOAD_Y)
        menu = settled_screenshot(game, self.shot("menu-" + name + ".png"))
        game.click(1, WIDTH // 2, LOAD_Y)
        self.assertEqual(0, differing_pixels(menu, settled_screenshot(game, self.shot(name + ".png"))), name)
        self.assertTrue(game.running())
        return menu

    def test_a_saved_game_is_played_again_in_a_later_run_and_a_damaged_one_is_refused(self):
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            self.load_keeps_the_menu(g, "no-file")
            player.choose(g, player.TITLE_ENTRIES, "Start a new game")
            g.play_zoom_picture(self.shot("zoomed-out.png"))
            g.freeze()   # the picture a moment before Return, which the save holds
            playing = g.screenshot_png(self.shot("playing.png"))
            g.first_picture_after(playing, self.shot("game-menu.png"), "keydown", "Return")
            g.key_up("Return")
            player.choose(g, player.GAME_MENU_ENTRIES, "Save game")
            driver.wait_for(lambda: os.path.exists(g.path("save.dat")), 2 if driver.FAULT else 10)
            driver.expect_written(self, g.path("save.dat"))
            if driver.FAULT is None:
                with open(g.path("save.dat"), "rb") as f:
                    saved = f.read()
            self.assertEqual(g.close(), (0, "", ""))
        if driver.FAULT:
            return
        # What any save holds: its least size, text layers of values 0..15
        # with a line feed after every row.
        self.assertGreaterEqual(len(saved), EMPTY_SAVE_BYTES)
        for layer in range(3):
            text = saved[layer * LAYER:(layer + 1) * LAYER]
            self.assertEqual(text[256::257], b"\n" * 256)
            self.assertTrue(all(32 <= b <= 47 for i, b in enumerate(text) if i % 257 != 256))

        # Another clock: a new game would be another city.
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=SPRING) as g:
            g.wait_window()
            damaged = saved[:LAYER] + b"\x7f" + saved[LAYER + 1:]  # a rotation of 95 quarter turns
            with open(g.path("save.dat"), "wb") as f:
                f.write(damaged)
            menu = self.load_keeps_the_menu(g, "damaged")
            with open(g.path("save.dat"), "rb") as f:
                self.assertEqual(f.read(), damaged)

            with open(g.path("save.dat"), "wb") as f:
                f.write(saved)
            again = g.first_picture_after(menu, self.shot("played-again.png"), "mousedown", 1)
            g.button_up(1)
            # The first picture of the loaded game: the same streets around
            # the same player, seen from where it was saved.
            dx, dy, mismatch = driver.view_shift(playing, again, dxs=range(-10, 11), dys=range(-10, 11))
            self.assertLess(abs(dx), 40)
            self.assertLess(abs(dy), 40)
            self.assertLess(mismatch, 8)
            with open(g.path("save.dat"), "rb") as f:
                self.assertEqual(f.read(), saved)
            self.assertEqual(g.close(), (0, "", ""))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
