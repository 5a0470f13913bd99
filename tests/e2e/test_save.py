"""A player's saved game. First run: "Load game" with no save keeps the title;
a new game where an explosive opens a wall, saved from the menu over it; the
pause overlay over play (the game frozen under it, a screenshot of the frozen
frame, the frame-rate line on and off) and its Exit button. A later run on
another clock: a damaged "save.dat" keeps the title as it was and the file as
it is; the sound one brings back the same streets around the same player,
under the HUD and its dark corners, and a new game there is another city."""

import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402
from driver import differing_pixels, near, read_rgb, rgb_at, rows, view_shift  # noqa: E402

GAME, MEDIA, SHOTS = None, None, None
W, H = 800, 600
CENTRE = (W // 2, H // 2)
SPRING = "2026-03-14 12:00:00"
LAYER = 256 * 257               # one text layer of a save: 256 rows of 256 cells and a line feed
WALL = (107, 74, 61)            # the flat fill of the walls
BARS = player.PAUSE_BAR_ROWS
BUTTON_Y = [player.pause_button_y(i, H) for i in range(4)]
SIDE = 200                      # columns 0..199 lie beside the pause buttons


def shot(name):
    return os.path.join(SHOTS, name)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def wall_columns(png, x0, x1, y0, y1):
    """Wall-coloured pixels in each column of a box (the fill is flat)."""
    picture = read_rgb(png)
    return [sum(1 for y in range(y0, y1) if near(rgb_at(picture, x, y), WALL, 3)) for x in range(x0, x1)]


class SavedGame(unittest.TestCase):
    def test_a_saved_game_comes_back_in_a_later_run_and_a_damaged_one_is_refused(self):
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=driver.NEW_YEAR) as g:
            self.g = g
            g.wait_window()
            self.load_keeps_the_title("no-save")
            player.choose(g, player.TITLE_ENTRIES, "Start a new game")
            g.play_zoom_picture(shot("zoomed-out.png"))
            self.throw()
            playing = self.save()
            self.pause_over_play()
            player.open_pause(g)
            g.click(1, W // 2, BUTTON_Y[1])
            self.assertEqual(g.wait_exit(), (0, "", ""))
            self.assertEqual(g.files(), driver.written_files("save.dat", "screenshot1.png", "lastgame.rec"))
            saved = None if driver.FAULT else read(g.path("save.dat"))
        if driver.FAULT:
            return
        with driver.Game(GAME, MEDIA, size=(W, H), faketime=SPRING) as g:
            self.g = g
            g.wait_window()
            damaged = saved[:LAYER] + b"\x7f" + saved[LAYER + 1:]   # a rotation of 95 quarter turns
            write(g.path("save.dat"), damaged)
            title = self.load_keeps_the_title("damaged")
            self.assertEqual(read(g.path("save.dat")), damaged)
            write(g.path("save.dat"), saved)
            again = g.first_picture_after(title, shot("loaded.png"), "mousedown", 1)
            g.xdotool("mouseup", 1)
            dx, dy, mismatch = view_shift(playing, again, range(-10, 11), range(-10, 11))
            self.assertLess(abs(dx), 40)
            self.assertLess(abs(dy), 40)
            self.assertLess(mismatch, 8, "not the saved streets")
            self.assertEqual(read(g.path("save.dat")), saved)
            self.dark_corners(read_rgb(again))
            player.open_game_menu(g)
            player.choose(g, player.GAME_MENU_ENTRIES, "Start a new game")
            other = g.play_zoom_picture(shot("spring-city.png"))
            self.assertGreater(view_shift(playing, other, range(-2, 3), range(-2, 3))[2], 16, "the same city")
            self.assertEqual(g.close(), (0, "", ""))
            self.assertEqual(g.files(), {"Media", "settings.ini", "save.dat", "lastgame.rec"})

    def load_keeps_the_title(self, name):
        """"Load game" on the title changes nothing on the screen; returns the
        title with the pointer on that entry."""
        g = self.g
        g.move(W // 2, player.menu_entry_y(1, H))
        title = g.settled(shot(name + "-title.png"))
        g.click(1)
        self.assertEqual(differing_pixels(title, g.settled(shot(name + "-after.png"))), 0, name)
        self.assertTrue(g.running())
        return title

    def throw(self):
        """An explosive thrown at the building on the left opens its wall."""
        g, box = self.g, (130, 320, CENTRE[1] - 60, CENTRE[1] + 60)
        g.move(114, CENTRE[1])
        was = wall_columns(g.settled(shot("throw-before.png"), moving=True), *box)
        solid = [x for x in range(len(was)) if was[x] == max(was)]
        wall = solid[len(solid) // 2]       # the middle of the columns that are wall top to bottom
        self.assertGreater(was[wall], 100, "no wall across the throw")
        g.click(3)
        self.assertTrue(g.picture_when(lambda now: wall_columns(now, *box)[wall] < was[wall] // 2,
                                       shot("throw-after.png"), tries=100, run=0.1), "the wall stands")

    def save(self):
        """Return over the game at rest, then "Save game"; returns the last
        picture of play before the menu, which the save holds."""
        g = self.g
        g.move(*CENTRE)
        playing = g.settled(shot("playing.png"), moving=True)
        g.freeze()
        g.shot(playing)
        self.assertTrue(g.picture_when(lambda now: player.entries_shown(now) == 4, shot("game-menu.png"),
                                       "keydown", "Return"), "no menu")
        g.xdotool("keyup", "Return")
        player.choose(g, player.GAME_MENU_ENTRIES, "Save game")
        self.assertEqual(driver.wait_for(lambda: "save.dat" in g.files(), 2 if driver.FAULT else 10),
                         driver.FAULT is None)
        return playing

    def pause_over_play(self):
        """Escape freezes the game under the bars and buttons; "Save
        screenshot" writes the frozen frame without them; the frame-rate
        button shows the frame-rate line in play, and takes it away again."""
        g = self.g
        player.open_pause(g)
        g.move(W // 2, H - 100)
        first = g.picture()
        time.sleep(0.5)
        paused = read_rgb(g.shot(shot("game-paused.png")))
        self.assertEqual(rows(first, BARS, H - BARS), rows(paused, BARS, H - BARS), "the game moved while paused")
        g.click(1, W // 2, BUTTON_Y[2])
        saved, sizes = g.path("screenshot1.png"), [-1]
        landed = driver.wait_for(lambda: sizes.append(os.path.getsize(saved) if os.path.exists(saved) else -1)
                                 or sizes[-1] == sizes[-2] > 0, 2 if driver.FAULT else 10)
        self.assertEqual(landed, driver.FAULT is None)
        if landed:
            picture = read_rgb(shutil.copy(saved, SHOTS))
            self.assertEqual(picture[:2], (W, H))
            self.assertEqual(rows(picture, BARS, H - BARS, 0, SIDE), rows(paused, BARS, H - BARS, 0, SIDE))
            self.assertNotEqual(rows(picture, 0, BARS), rows(paused, 0, BARS), "the bars are in the screenshot")
        g.click(1, W // 2, BUTTON_Y[3])
        g.click(1, W // 2, BUTTON_Y[0])
        self.assertTrue(player.frame_rate_shown(player.pause_closed(g)), "no frame-rate line in play")
        g.shot(shot("frame-rate.png"))
        player.open_pause(g)
        g.click(1, W // 2, BUTTON_Y[3])
        g.keys("Escape")
        self.assertFalse(player.frame_rate_shown(player.pause_closed(g)), "the frame-rate line stayed")

    def dark_corners(self, picture):
        """The vignette keeps less than a sixth of whatever lies in the corners."""
        for x, y in ((0, 0), (W - 8, 0), (0, H - 8), (W - 8, H - 8)):
            brightest = max(max(rgb_at(picture, x + i, y + j)) for i in range(8) for j in range(8))
            self.assertLess(brightest, 255 // 6, (x, y))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    SHOTS = driver.shots_dir("e2e-save")
    unittest.main()
