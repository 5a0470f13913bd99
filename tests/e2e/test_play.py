"""A player plays: a new game eases out to the city, walking and sprinting move
the view, the gun draws its beams, an explosive opens a wall, Return opens the
menu and "Resume" goes back, and a game played to the end returns to the title
menu with the best score kept. The clock is fixed, so the city is always the
same: the player starts in a lawn between two buildings."""

import os
import shutil
import struct
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 800, 600
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)
NEW_YEAR = "2026-01-01 00:00:00"
CENTRE = (WIDTH // 2, HEIGHT // 2)
FIRST_ENTRY_Y = (200 + 15) * HEIGHT // 800   # middle of menu entry 0's band
ENTRY_HEIGHT = 30 * HEIGHT // 800
PLAY_CROSSHAIR = (85, 110)   # white span of the aim mark at play zoom (7.5 cells tall), pixels
WALL = (107, 74, 61)         # the flat fill of the walls
SHOTS = os.path.abspath("e2e-play")
VIGNETTES = ("borderdarknesstexture.png", "borderbloodtexture.png")


def near(rgb, colour, tolerance=15):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, colour))


def crosshair_span(png, row, x):
    """Width of the aim mark near a window point: the longest near-white run
    end to end on the rows around it, which its horizontal ticks give."""
    w, _, data = driver.read_rgb(png)
    spans = [0]
    for y in range(row - 12, row + 13):
        xs = [i for i in range(max(0, x - 400), min(w, x + 400))
              if min(data[(y * w + i) * 3:(y * w + i) * 3 + 3]) > 230]
        spans.append(max(xs) - min(xs) if xs else 0)
    return max(spans)


def tracer_pixels(png):
    """Pixels of the yellow-white core of a gun beam (the aim mark is pure
    white, the street's lines a deep yellow)."""
    _, _, data = driver.read_rgb(png)
    return sum(1 for i in range(0, len(data), 3)
               if data[i] > 235 and data[i + 1] > 235 and 20 < data[i] - data[i + 2] < 90)


def energy_bar_length(png):
    """Pixels of the energy bar's bright red part, along the middle of the bar
    (HUD y 295 of the 800-unit screen)."""
    w, _, data = driver.read_rgb(png)
    y = (295 + 400) * HEIGHT // 800
    row = data[y * w * 3:(y + 1) * w * 3]
    return sum(1 for i in range(0, len(row), 3) if row[i] > 150 and row[i + 1] < 80)


def wall_columns(png, x0, x1, y0, y1):
    """Wall-coloured pixels in each column of a box. The fill is flat, so the
    match is near exact: a shadowed floor inside a crater comes close to it."""
    w, _, data = driver.read_rgb(png)
    return [sum(1 for y in range(y0, y1) if near(data[(y * w + x) * 3:(y * w + x) * 3 + 3], WALL, 3))
            for x in range(x0, x1)]


def menu_entry_lit(png, entry):
    """Light pixels of the label in a menu entry's band (left half of the window)."""
    w, _, data = driver.read_rgb(png)
    top = FIRST_ENTRY_Y - ENTRY_HEIGHT // 2 + entry * ENTRY_HEIGHT
    return sum(1 for y in range(top + 2, top + ENTRY_HEIGHT - 2) for x in range(0, w // 2)
               if min(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) > 180)


class Play(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(SHOTS, ignore_errors=True)
        os.makedirs(SHOTS)

    def shot(self, game, name):
        return game.screenshot_png(os.path.join(SHOTS, name + ".png"))

    def play(self):
        """The game at the title menu, on the fixed clock."""
        return driver.Game(GAME, MEDIA, screen=(WIDTH, HEIGHT), settings=SETTINGS, faketime=NEW_YEAR)

    def start(self, game, aim, settle):
        """Chooses "Start a new game" like a player, then points at a window
        pixel and waits for the view to settle there."""
        game.wait_window(WIDTH, HEIGHT)
        game.click(1, WIDTH // 2, FIRST_ENTRY_Y, gap=0)
        game.move(*aim)
        time.sleep(settle)

    def still_view(self, game, name, tries=30):
        """A picture taken once the camera has come to rest: two pictures in
        a row at the same offset (the crowd may still move)."""
        previous = self.shot(game, name)
        for _ in range(tries):
            time.sleep(0.2)
            path = self.shot(game, name)
            dx, dy, _ = driver.view_shift(previous, path, dxs=range(-3, 4), dys=range(-3, 4))
            if (dx, dy) == (0, 0):
                return path
            previous = shutil.copy(path, path + ".prev.png")
        raise AssertionError("the view never came to rest")

    def close(self, game):
        rc, out, err = game.close()
        self.assertEqual((rc, out, err), (0, "", ""))

    def test_a_new_game_eases_out_to_the_city_at_play_zoom(self):
        with self.play() as g:
            g.wait_window(WIDTH, HEIGHT)
            g.move(WIDTH // 2, FIRST_ENTRY_Y)
            menu = driver.settled_screenshot(g, os.path.join(SHOTS, "start-menu.png"))
            # Let the game run in slices of a pass or two from the click on,
            # until its first picture of the city; a loaded machine cannot
            # make the picture come late.
            g.freeze()
            g.xdotool("mousedown", 1)
            early = None
            for _ in range(100):
                g.thaw()
                time.sleep(0.01)
                g.freeze()
                early = self.shot(g, "start-early")
                if driver.differing_pixels(menu, early) > WIDTH * HEIGHT // 2:
                    break
            g.thaw()
            g.button_up(1)
            g.move(*CENTRE)
            time.sleep(1.5)
            late = self.shot(g, "start-late")
            self.close(g)
        early_span = crosshair_span(early, FIRST_ENTRY_Y, WIDTH // 2)
        late_span = crosshair_span(late, CENTRE[1], CENTRE[0])
        self.assertTrue(PLAY_CROSSHAIR[0] <= late_span <= PLAY_CROSSHAIR[1], late_span)
        self.assertGreater(early_span, late_span * 1.3, "the view was already out at the start")
        _, _, data = driver.read_rgb(late)
        self.assertGreater(len({bytes(data[i:i + 3]) for i in range(0, len(data), 3)}), 50)
        self.assertGreater(sum(1 for i in range(0, len(data), 3) if near(data[i:i + 3], WALL)), 2000,
                           "buildings in view")

    def test_walking_right_moves_the_view_right_and_sprinting_faster(self):
        # The lawn leaves room for a walk right, back left, and a sprint right.
        with self.play() as g:
            self.start(g, CENTRE, 0.5)
            start = self.shot(g, "walk-0")
            g.hold("d", 0.7)
            time.sleep(0.4)
            walked = self.shot(g, "walk-1")
            g.hold("a", 0.7)
            time.sleep(0.4)
            back = self.shot(g, "walk-2")
            g.key_down("Shift_L")
            g.hold("d", 0.7)
            g.key_up("Shift_L")
            time.sleep(0.4)
            sprinted = self.shot(g, "walk-3")
            self.close(g)
        walk_dx, walk_dy, _ = driver.view_shift(start, walked)
        sprint_dx, sprint_dy, _ = driver.view_shift(back, sprinted)
        self.assertGreater(walk_dx, 80, (walk_dx, walk_dy))
        self.assertGreater(sprint_dx, walk_dx * 1.3, (walk_dx, sprint_dx))
        self.assertLess(abs(walk_dy) + abs(sprint_dy), 40)
        # Walking costs no energy; 0.7 s of sprinting about a fifth of it.
        self.assertLess(abs(energy_bar_length(start) - energy_bar_length(back)), 5)
        self.assertLess(energy_bar_length(sprinted), energy_bar_length(back) * 0.9)

    def test_holding_the_left_button_draws_tracer_beams(self):
        with self.play() as g:
            self.start(g, (WIDTH // 2, 100), 0.6)
            quiet = tracer_pixels(self.shot(g, "gun-quiet"))
            g.button_down(1)
            beams = 0
            for n in range(40):
                beams = tracer_pixels(self.shot(g, "gun-firing"))
                if beams > 300:
                    break
            g.button_up(1)
            self.close(g)
        self.assertLess(quiet, 50)
        self.assertGreater(beams, 300, "no beam in 40 pictures")

    def test_an_explosive_thrown_at_a_wall_opens_it(self):
        box = (130, 320, CENTRE[1] - 60, CENTRE[1] + 60)
        with self.play() as g:
            self.start(g, (114, CENTRE[1]), 0.6)   # towards the building on the left
            before = self.still_view(g, "throw-before")
            was = wall_columns(before, *box)
            # The middle of the wall: the columns that are wall from top to bottom.
            solid = [x for x in range(len(was)) if was[x] == max(was)]
            wall = solid[len(solid) // 2]
            g.click(3)
            # The flight and the blast take a loaded machine longer; look until
            # the wall opens or a few seconds have gone by.
            deadline = time.time() + 5
            while True:
                time.sleep(0.3)
                now = wall_columns(self.shot(g, "throw-after"), *box)
                if now[wall] < was[wall] // 2 or time.time() > deadline:
                    break
            self.close(g)
        self.assertGreater(was[wall], 100, "a wall across the throw")
        self.assertLess(now[wall], was[wall] // 2, "the wall still stands")

    def test_return_opens_the_menu_with_resume_first_and_resume_goes_back(self):
        with self.play() as g:
            self.start(g, CENTRE, 0.8)
            playing = self.shot(g, "menu-playing")
            g.key("Return")
            menu = self.shot(g, "menu-open")
            g.click(1, WIDTH // 2, FIRST_ENTRY_Y)
            g.move(*CENTRE)
            time.sleep(0.6)          # the view comes back from the aim at the entry
            resumed = self.shot(g, "menu-resumed")
            self.close(g)
        self.assertGreater(driver.differing_pixels(playing, menu, "3%"), WIDTH * HEIGHT // 2)
        # Over a game the menu has four entries; "Resume" comes first.
        self.assertTrue(all(menu_entry_lit(menu, e) > 30 for e in range(4)))
        self.assertLess(menu_entry_lit(menu, 4), 5)
        dx, dy, mismatch = driver.view_shift(playing, resumed)
        self.assertTrue(abs(dx) <= 8 and abs(dy) <= 8 and mismatch < 8, "not the same game: %r"
                        % ((dx, dy, mismatch),))

    def test_a_game_played_to_the_end_returns_to_the_title_menu_and_keeps_the_score(self):
        with self.play() as g:
            g.wait_window(WIDTH, HEIGHT)
            title = driver.settled_screenshot(g, os.path.join(SHOTS, "end-title.png"))
            g.click(1, WIDTH // 2, FIRST_ENTRY_Y)
            g.button_down(1)
            deadline = time.monotonic() + 50
            ended = False
            while not ended and time.monotonic() < deadline:
                # stand still and fire all round
                for x, y in ((600, 300), (400, 500), (200, 300), (400, 100)):
                    g.move(x, y)
                g.move(*CENTRE)
                ended = driver.differing_pixels(title, self.shot(g, "end-last")) == 0
            g.button_up(1)
            self.assertTrue(ended, "still playing after 50 seconds")
            stats = g.path("stats.dat")
            driver.expect_written(self, stats)
            if driver.FAULT:
                self.close(g)
                return
            with open(stats, "rb") as f:
                best = f.read()
            self.close(g)
        self.assertEqual(len(best), 4)
        self.assertGreater(struct.unpack("<i", best)[0], 0)


def media_with_clear_vignettes(media):
    """The game's pictures with the HUD's darkness and blood vignettes made
    fully transparent: both stay put on the screen while the world moves, and
    over a lawn they would outweigh it when matching one view to the next.
    The HUD's own checks use the real pictures."""
    clear = os.path.abspath("e2e-play-media")
    shutil.rmtree(clear, ignore_errors=True)
    os.makedirs(clear)
    for name in os.listdir(media):
        os.symlink(os.path.join(media, name), os.path.join(clear, name))
    for name in VIGNETTES:
        os.remove(os.path.join(clear, name))
        subprocess.run(["convert", "-size", "16x16", "xc:none", "PNG32:" + os.path.join(clear, name)],
                       check=True)
    return clear


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    MEDIA = media_with_clear_vignettes(MEDIA)
    unittest.main()
