"""The pause overlay as a player meets it: the pointer in the title menu,
Escape sliding the bars and buttons in over a frozen picture, and the four
buttons: a screenshot file of the frozen frame, the frame-rate line, resume and
exit."""

import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402
from driver import rows, rgb_at  # noqa: E402
from player import open_pause, pause_closed  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 640, 480
BUTTON_X = WIDTH // 2                        # the pause buttons, fully open
RESUME_Y, EXIT_Y, SCREENSHOT_Y, FRAME_RATE_Y = 115, 165, 215, 265
BAR_ROWS = player.PAUSE_BAR_ROWS
PANEL_EDGE = (191, 194, 204)   # the light edge of the frame-rate panel
SIDE_COLUMNS = 140    # columns 0..139 lie beside the buttons


def white(picture, x, y):
    return min(rgb_at(picture, x, y)) >= 230


def wait_for_file(path, timeout=10):
    """Waits until the file exists and has stopped growing."""
    sizes = []

    def landed():
        sizes.append(os.path.getsize(path) if os.path.exists(path) else -1)
        return len(sizes) > 1 and sizes[-1] == sizes[-2] > 0
    return driver.wait_for(landed, timeout)


def panel_centres(picture, x):
    """Centre rows of the pause buttons crossing column x, from the light
    border lines above and below each panel's text."""
    lines, previous = [], -2
    for y in range(picture[1]):
        r, g, b = rgb_at(picture, x, y)
        if 170 <= min(r, g, b) and max(r, g, b) <= 225 and max(r, g, b) - min(r, g, b) < 25:
            if y != previous + 1:
                lines.append(y)
            previous = y
    return [(top + bottom) // 2 for top, bottom in zip(lines[0::2], lines[1::2])]


def frame_rate_shown(picture):
    """The frame-rate panel's light edge (it stands at the top left, over
    the HUD's kill counts, whose letters are whiter than the edge)."""
    edge = sum(1 for y in range(0, 60) for x in range(0, 360) if driver.near(rgb_at(picture, x, y), PANEL_EDGE, 6))
    return edge > 300


class Pause(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.shots = driver.shots_dir("e2e-pause")

    def test_over_the_title_the_pointer_follows_and_escape_pauses_and_exit_works_mid_slide(self):
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT) as g:
            g.wait_window()
            for x, y in ((500, 300), (150, 400)):
                g.move(x, y)
                self.assertTrue(driver.wait_for(lambda: white(g.screenshot(), x + 3, y + 12)),
                                "no pointer below (%d, %d)" % (x, y))
            self.assertFalse(white(g.screenshot(), 503, 312), "the pointer stayed behind")

            g.move(600, 450)
            menu = driver.read_rgb(driver.settled_screenshot(g, os.path.join(self.shots, "title.png")))
            open_pause(g)
            paused = driver.read_rgb(g.screenshot_png(os.path.join(self.shots, "title-paused.png")))
            self.assertNotEqual(rows(menu, 0, BAR_ROWS), rows(paused, 0, BAR_ROWS), "no top bar")
            self.assertNotEqual(rows(menu, HEIGHT - BAR_ROWS, HEIGHT), rows(paused, HEIGHT - BAR_ROWS, HEIGHT))
            self.assertNotEqual(rows(menu, 100, 130, 160, 480), rows(paused, 100, 130, 160, 480), "no buttons")
            self.assertEqual(rows(menu, BAR_ROWS, 420, 0, SIDE_COLUMNS),
                             rows(paused, BAR_ROWS, 420, 0, SIDE_COLUMNS), "the menu is not frozen")
            g.key("Escape")
            self.assertEqual(rows(menu, 0, HEIGHT), rows(pause_closed(g), 0, HEIGHT))

            # The game is stopped in mid-slide to see where Exit is; the click
            # goes where Exit will be in the next pass or the one after (the
            # column rises 24 rows a pass at this height and a button is hot
            # 21 rows either side of its centre), so it lands while the
            # overlay is still moving.
            g.key("Escape")
            exit_y = None
            deadline = time.time() + 15   # a loaded machine may give the game little of each slice
            while time.time() < deadline:
                g.freeze()
                centres = panel_centres(g.screenshot(), BUTTON_X)
                if len(centres) >= 2:
                    exit_y = centres[1]
                    break
                g.thaw()
                time.sleep(0.02)
            self.assertIsNotNone(exit_y, "the Exit button never showed")
            self.assertGreater(exit_y, EXIT_Y + 3 * 24, "the overlay was nearly open already")
            g.xdotool("mousemove", "--window", g.window, BUTTON_X, exit_y - 36, "mousedown", 1)
            g.thaw()
            g.xdotool("sleep", driver.HOLD, "mouseup", 1)
            self.assertEqual(g.wait_exit(), (0, "", ""))

    def test_the_pause_freezes_the_game_and_its_buttons_work(self):
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            player.choose(g, player.TITLE_ENTRIES, "Start a new game")
            time.sleep(1.0)
            g.move(60, 300)
            time.sleep(0.2)
            open_pause(g)
            g.move(BUTTON_X, SCREENSHOT_Y)
            first = g.screenshot()
            time.sleep(0.5)
            second = driver.read_rgb(g.screenshot_png(os.path.join(self.shots, "game-paused.png")))
            self.assertEqual(rows(first, BAR_ROWS, HEIGHT - BAR_ROWS),
                             rows(second, BAR_ROWS, HEIGHT - BAR_ROWS), "the game moved while paused")

            g.click(1, BUTTON_X, SCREENSHOT_Y)
            saved = g.path("screenshot1.png")
            if driver.FAULT:
                time.sleep(1.0)  # as long as a screenshot takes to land
                driver.expect_written(self, saved)
            else:
                self.assertTrue(wait_for_file(saved), os.listdir(g.workdir))
                shutil.copy(saved, os.path.join(self.shots, "screenshot1.png"))
                self.check_screenshot_file(saved, second)

            g.click(1, BUTTON_X, FRAME_RATE_Y)
            g.click(1, BUTTON_X, RESUME_Y)
            playing = pause_closed(g)
            g.screenshot_png(os.path.join(self.shots, "game-frame-rate.png"))
            self.assertTrue(frame_rate_shown(playing), "no frame-rate line in play")

            open_pause(g)
            g.click(1, BUTTON_X, FRAME_RATE_Y)
            g.key("Escape")
            self.assertFalse(frame_rate_shown(pause_closed(g)), "the frame-rate line stayed")
            self.assertTrue(g.running())

            open_pause(g)
            g.click(1, BUTTON_X, EXIT_Y)
            self.assertEqual(g.wait_exit(), (0, "", ""))

    def check_screenshot_file(self, path, window):
        """A picture of the window's size holding the frozen frame: the same
        as the window beside the buttons, without the bars, and without the
        pointer that was at (60, 300) when Escape went down. (The file's
        format is the unit tests' business.)"""
        shot = driver.read_rgb(path)
        self.assertEqual(shot[0], WIDTH)
        self.assertEqual(shot[1], HEIGHT)
        self.assertEqual(rows(shot, BAR_ROWS, HEIGHT - BAR_ROWS, 0, SIDE_COLUMNS),
                         rows(window, BAR_ROWS, HEIGHT - BAR_ROWS, 0, SIDE_COLUMNS))
        self.assertNotEqual(rows(shot, 0, BAR_ROWS), rows(window, 0, BAR_ROWS))
        self.assertFalse(white(shot, 63, 312))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
