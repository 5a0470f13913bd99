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


def lit_pixels(data):
    """Pixels of RGB data with any channel clearly above black."""
    return sum(1 for i in range(0, len(data), 3) if max(data[i:i + 3]) > 16)


def unused_display():
    """A display name that no X server serves."""
    for n in range(917, 1000):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    raise RuntimeError("no free display number")


class Window(unittest.TestCase):

    def open_and_close(self, screen, settings, expected):
        """Starts the game, checks the window size, closes it and checks the
        clean exit."""
        with driver.Game(GAME, MEDIA, screen=screen, settings=settings) as g:
            window = g.wait_window(*expected)
            self.assertEqual(g.window_geometry(window)[2:], expected)
            rc, out, err = g.close()
            self.assertEqual(rc, 0)
            self.assertEqual(out, "")
            self.assertEqual(err, "")

    def test_without_settings_the_window_takes_the_screen_size(self):
        self.open_and_close((832, 624), None, (832, 624))

    def test_width_and_height_come_from_the_settings(self):
        self.open_and_close((1024, 768), "screenw=640\nscreenh=480\n", (640, 480))

    def test_a_missing_height_becomes_the_screens(self):
        self.open_and_close((1024, 768), "screenw=800\n", (800, 768))

    def test_without_a_display_the_game_ends_at_once_and_silently(self):
        # A terminal type is set on purpose: SDL must not fall back to drawing
        # on the terminal when there is no X server.
        for display in (None, unused_display()):
            env = {"TERM": "xterm"}
            if display:
                env["DISPLAY"] = display
            with self.subTest(display=display), \
                    driver.Game(GAME, MEDIA, no_display=True, env=env) as g:
                rc, out, err = g.wait_exit()
                self.assertEqual(rc, 1, "SDL cannot start without a display")
                self.assertEqual(out, "")
                self.assertEqual(err, "")

    def test_the_title_menu_is_drawn(self):
        with driver.Game(GAME, MEDIA, screen=(800, 600)) as g:
            g.wait_window(800, 600)
            deadline = time.monotonic() + 10
            while True:
                _, _, data = g.screenshot()
                lit = lit_pixels(data)
                if lit > len(data) // 900 or time.monotonic() > deadline:
                    break
                time.sleep(0.1)
            self.assertGreater(lit, len(data) // 900, "the title menu is all black")
            colours = len({bytes(data[i:i + 3]) for i in range(0, len(data), 3)})
            self.assertGreater(colours, 8)
            g.keys("w", "a")  # the game runs on through keys and a click until closed
            g.click(1, 20, 20)
            time.sleep(0.3)
            self.assertTrue(g.running())
            self.assertEqual(g.close(), (0, "", ""))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
