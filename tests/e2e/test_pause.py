"""The pause overlay as a player meets it: the pointer in the title menu,
Escape sliding the bars and buttons in over a frozen picture, and the four
buttons: a screenshot file of the frozen frame, the frame-rate line, resume and
exit."""

import os
import shutil
import signal
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 640, 480
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)
START_ENTRY_Y = (200 + 15) * HEIGHT // 800  # "Start a new game" in the title menu
BUTTON_X = WIDTH // 2                        # the pause buttons, fully open
RESUME_Y, EXIT_Y, SCREENSHOT_Y, FRAME_RATE_Y = 115, 165, 215, 265
SLIDE_SECONDS = 1.0   # 20 passes of at least 16 ms, with room for a loaded machine
BAR_ROWS = 60
PANEL_EDGE = (191, 194, 204)   # the light edge of the frame-rate panel
BAR_EDGE_ROW = 55     # the top bar's red edge covers rows 53..55 once fully open
SIDE_COLUMNS = 140    # columns 0..139 lie beside the buttons


def rows(shot, top, bottom, left=0, right=WIDTH):
    """RGB bytes of the rectangle columns left..right-1, rows top..bottom-1."""
    w, _, data = shot
    return b"".join(data[(y * w + left) * 3:(y * w + right) * 3] for y in range(top, bottom))


def white(shot, x, y):
    w, _, data = shot
    return min(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) >= 230


def png_chunks(path):
    """(type, data) of every chunk of a PNG file, in order."""
    with open(path, "rb") as f:
        blob = f.read()
    assert blob[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    chunks, at = [], 8
    while at < len(blob):
        length, kind = struct.unpack(">I4s", blob[at:at + 8])
        chunks.append((kind.decode(), blob[at + 8:at + 8 + length]))
        at += 12 + length
    return chunks


def open_pause(game):
    """Escape, then waits until the bars have slid fully in: the top bar's red
    edge then lies on its last rows."""
    game.key("Escape")
    game.wait_pixel(WIDTH - 5, BAR_EDGE_ROW, lambda p: p[0] > 170 and p[1] < 40)


def wait_for_file(path, timeout=10):
    """Waits until the file exists and has stopped growing."""
    deadline = time.monotonic() + timeout
    size = -1
    while time.monotonic() < deadline:
        if os.path.exists(path) and os.path.getsize(path) == size > 0:
            return True
        size = os.path.getsize(path) if os.path.exists(path) else -1
        time.sleep(0.1)
    return False


def panel_centres(shot, x):
    """Centre rows of the pause buttons crossing column x, from the light
    border lines above and below each panel's text."""
    w, h, data = shot
    lines, previous = [], -2
    for y in range(h):
        r, g, b = data[(y * w + x) * 3:(y * w + x) * 3 + 3]
        if 170 <= min(r, g, b) and max(r, g, b) <= 225 and max(r, g, b) - min(r, g, b) < 25:
            if y != previous + 1:
                lines.append(y)
            previous = y
    return [(top + bottom) // 2 for top, bottom in zip(lines[0::2], lines[1::2])]


def open_game(**kwargs):
    game = driver.Game(GAME, MEDIA, screen=(800, 600), settings=SETTINGS, **kwargs)
    game.__enter__()
    game.wait_window(WIDTH, HEIGHT)
    return game


class TitleMenu(unittest.TestCase):
    def setUp(self):
        self.game = open_game()
        self.addCleanup(self.game.cleanup)

    def test_the_pointer_follows_the_mouse(self):
        g = self.game
        for x, y in ((500, 300), (150, 400)):
            g.move(x, y)
            time.sleep(0.2)
            shot = g.screenshot()
            self.assertTrue(white(shot, x + 3, y + 12), "no pointer below (%d, %d)" % (x, y))
        self.assertFalse(white(shot, 503, 312), "the pointer stayed behind")

    def test_escape_slides_the_pause_in_over_the_menu_and_out_again(self):
        g = self.game
        g.move(600, 450)
        time.sleep(0.3)
        menu = g.screenshot()
        open_pause(g)
        paused = g.screenshot()
        g.screenshot_png(os.path.join(self.shots(), "title-paused.png"))
        self.assertNotEqual(rows(menu, 0, BAR_ROWS), rows(paused, 0, BAR_ROWS), "no top bar")
        self.assertNotEqual(rows(menu, HEIGHT - BAR_ROWS, HEIGHT), rows(paused, HEIGHT - BAR_ROWS, HEIGHT))
        self.assertNotEqual(rows(menu, 100, 130, 160, 480), rows(paused, 100, 130, 160, 480), "no buttons")
        self.assertEqual(rows(menu, BAR_ROWS, 420, 0, SIDE_COLUMNS),
                         rows(paused, BAR_ROWS, 420, 0, SIDE_COLUMNS), "the menu is not frozen")
        g.key("Escape")
        time.sleep(SLIDE_SECONDS)
        self.assertEqual(rows(menu, 0, HEIGHT), rows(g.screenshot(), 0, HEIGHT))
        self.assertEqual(g.close()[0], 0)

    def test_exit_ends_the_game_while_the_buttons_still_slide_in(self):
        """The game is stopped in mid-slide to see where Exit is; the click
        goes where Exit will be in the next pass or the one after (the column
        rises 24 rows a pass at this height and a button is hot 21 rows either
        side of its centre), so it lands while the overlay is still moving."""
        g = self.game
        g.key("Escape")
        exit_y = None
        for _ in range(40):
            os.kill(g.proc.pid, signal.SIGSTOP)
            centres = panel_centres(g.screenshot(), BUTTON_X)
            if len(centres) >= 2:
                exit_y = centres[1]
                break
            os.kill(g.proc.pid, signal.SIGCONT)
            time.sleep(0.02)
        self.assertIsNotNone(exit_y, "the Exit button never showed")
        self.assertGreater(exit_y, EXIT_Y + 3 * 24, "the overlay was nearly open already")
        g.xdotool("mousemove", "--window", g.window, BUTTON_X, exit_y - 36, "mousedown", 1)
        os.kill(g.proc.pid, signal.SIGCONT)
        g.xdotool("sleep", driver.HOLD, "mouseup", 1)
        self.assertEqual(g.wait_exit(), (0, "", ""))

    def shots(self):
        path = os.path.abspath("e2e-pause")
        os.makedirs(path, exist_ok=True)
        return path


class PausedGame(unittest.TestCase):
    """One game from start to exit through every pause button."""

    def test_the_pause_freezes_the_game_and_its_buttons_work(self):
        shots = os.path.abspath("e2e-pause")
        os.makedirs(shots, exist_ok=True)
        with driver.Game(GAME, MEDIA, screen=(800, 600), settings=SETTINGS,
                         faketime="2026-01-01 00:00:00") as g:
            g.wait_window(WIDTH, HEIGHT)
            g.click(1, WIDTH // 2, START_ENTRY_Y)
            time.sleep(1.0)
            g.move(60, 300)
            time.sleep(0.2)
            open_pause(g)
            g.move(BUTTON_X, SCREENSHOT_Y)
            first = g.screenshot()
            time.sleep(0.5)
            second = g.screenshot()
            g.screenshot_png(os.path.join(shots, "game-paused.png"))
            self.assertEqual(rows(first, BAR_ROWS, HEIGHT - BAR_ROWS),
                             rows(second, BAR_ROWS, HEIGHT - BAR_ROWS), "the game moved while paused")

            g.click(1, BUTTON_X, SCREENSHOT_Y)
            saved = g.path("screenshot1.png")
            if driver.FAULT:
                time.sleep(1.0)  # as long as a screenshot takes to land
                driver.expect_written(self, saved)
            else:
                self.assertTrue(wait_for_file(saved), os.listdir(g.workdir))
                shutil.copy(saved, os.path.join(shots, "screenshot1.png"))
                self.check_screenshot_file(saved, second)

            g.click(1, BUTTON_X, FRAME_RATE_Y)
            g.click(1, BUTTON_X, RESUME_Y)
            time.sleep(SLIDE_SECONDS)
            playing = g.screenshot()
            g.screenshot_png(os.path.join(shots, "game-frame-rate.png"))
            self.assertNotEqual(rows(playing, 0, HEIGHT), rows(second, 0, HEIGHT), "Resume did not close")
            self.assertTrue(self.frame_rate_shown(playing), "no frame-rate line in play")

            open_pause(g)
            g.click(1, BUTTON_X, FRAME_RATE_Y)
            g.key("Escape")
            time.sleep(SLIDE_SECONDS)
            playing = g.screenshot()
            self.assertFalse(self.frame_rate_shown(playing), "the frame-rate line stayed")
            self.assertTrue(g.running())

            open_pause(g)
            g.click(1, BUTTON_X, EXIT_Y)
            self.assertEqual(g.wait_exit(), (0, "", ""))

    def check_screenshot_file(self, path, window):
        """An 8-bit RGB PNG of the window's size with our comment, holding the
        frozen frame: the same as the window beside the buttons, without the
        bars, and without the pointer that was at (60, 300) when Escape went down."""
        chunks = png_chunks(path)
        width, height, depth, colour = struct.unpack(">IIBB", chunks[0][1][:10])
        self.assertEqual((chunks[0][0], width, height, depth, colour), ("IHDR", WIDTH, HEIGHT, 8, 2))
        texts = [data for kind, data in chunks if kind == "tEXt"]
        self.assertEqual(texts[0], b"Comment\0Created with LodePNG")
        shot = driver.read_rgb(path)
        self.assertEqual(rows(shot, BAR_ROWS, HEIGHT - BAR_ROWS, 0, SIDE_COLUMNS),
                         rows(window, BAR_ROWS, HEIGHT - BAR_ROWS, 0, SIDE_COLUMNS))
        self.assertNotEqual(rows(shot, 0, BAR_ROWS), rows(window, 0, BAR_ROWS))
        self.assertFalse(white(shot, 63, 312))

    @staticmethod
    def frame_rate_shown(shot):
        """The frame-rate panel's light edge (it stands at the top left, over
        the HUD's kill counts, whose letters are whiter than the edge)."""
        w, _, data = shot
        edge = sum(1 for y in range(0, 60) for x in range(0, 360)
                   if all(abs(a - b) <= 6 for a, b in zip(data[(y * w + x) * 3:(y * w + x) * 3 + 3],
                                                          PANEL_EDGE)))
        return edge > 300


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
