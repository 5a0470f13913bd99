"""The game's window: its size from "settings.ini" and the desktop, a clean exit
when it is closed, a silent failure without a display, and the title menu
drawn into it, staying up until the window is closed."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None


def unused_display():
    """A display name that no X server serves."""
    for n in range(917, 1000):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    raise RuntimeError("no free display number")


class Window(unittest.TestCase):

    def test_the_window_takes_its_size_from_the_settings_and_the_screen_and_closes_cleanly(self):
        for screen, settings, expected in (((832, 624), None, (832, 624)),
                                           ((1024, 768), "screenw=640\nscreenh=480\n", (640, 480)),
                                           ((1024, 768), "screenw=800\n", (800, 768))):
            with self.subTest(settings=settings), driver.Game(GAME, MEDIA, screen=screen, settings=settings) as g:
                self.assertEqual(g.window_geometry(g.wait_window(*expected))[2:], expected)
                self.assertEqual(g.close(), (0, "", ""))

    def test_without_a_display_the_game_ends_at_once_and_silently(self):
        # A terminal type is set on purpose: SDL must not fall back to drawing
        # on the terminal when there is no X server.
        for display in (None, unused_display()):
            env = {"TERM": "xterm"}
            if display:
                env["DISPLAY"] = display
            with self.subTest(display=display), \
                    driver.Game(GAME, MEDIA, no_display=True, env=env) as g:
                self.assertEqual(g.wait_exit(), (1, "", ""), "SDL cannot start without a display")

    def test_the_title_menu_is_drawn_and_stays_up_until_the_window_is_closed(self):
        with driver.Game(GAME, MEDIA, screen=(800, 600)) as g:
            g.wait_window(800, 600)
            self.assertTrue(driver.wait_for(lambda: driver.lit_pixels(g.screenshot()[2]) > 800 * 600 // 300),
                            "the title menu is all black")
            self.assertGreater(driver.distinct_colours(g.screenshot()[2]), 8)
            g.keys("w", "a")
            g.click(1, 20, 20)
            time.sleep(0.3)   # a few passes in which keys and a click must not end the game
            self.assertTrue(g.running())
            self.assertEqual(g.close(), (0, "", ""))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
