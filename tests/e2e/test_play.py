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
CENTRE = (WIDTH // 2, HEIGHT // 2)
FIRST_ENTRY_Y = (200 + 15) * HEIGHT // 800   # middle of menu entry 0's band
ENTRY_HEIGHT = 30 * HEIGHT // 800
WALL = (107, 74, 61)         # the flat fill of the walls
SHOTS = None                 # where the pictures are kept
VIGNETTES = ("borderdarknesstexture.png", "borderbloodtexture.png")


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
    return [sum(1 for y in range(y0, y1) if driver.near(data[(y * w + x) * 3:(y * w + x) * 3 + 3], WALL, 3))
            for x in range(x0, x1)]


def menu_entry_lit(png, entry):
    """Light pixels of the label in a menu entry's band (left half of the window)."""
    w, _, data = driver.read_rgb(png)
    top = FIRST_ENTRY_Y - ENTRY_HEIGHT // 2 + entry * ENTRY_HEIGHT
    return sum(1 for y in range(top + 2, top + ENTRY_HEIGHT - 2) for x in range(0, w // 2)
               if min(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) > 180)


class Play(unittest.TestCase):
    def shot(self, game, name):
        return game.screenshot_png(os.path.join(SHOTS, name + ".png"))

    def start(self, game, aim):
        """Chooses "Start a new game" like a player, then points at a window
        pixel and returns a picture of the view once it has come to rest there."""
        game.click(1, WIDTH // 2, FIRST_ENTRY_Y, gap=0)
        game.play_zoom_picture(os.path.join(SHOTS, "zoomed-out.png"))
        game.move(*aim)
        return self.still_view(game, "start")

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

    def test_a_new_game_eases_out_the_gun_draws_beams_and_a_death_ends_at_the_title(self):
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            g.move(WIDTH // 2, FIRST_ENTRY_Y)
            title = driver.settled_screenshot(g, os.path.join(SHOTS, "title.png"))
            early = g.first_picture_after(title, os.path.join(SHOTS, "start-early.png"), "mousedown", 1)
            g.button_up(1)
            late = g.play_zoom_picture(os.path.join(SHOTS, "start-late.png"))
            self.assertGreater(driver.crosshair_span(early, WIDTH // 2, FIRST_ENTRY_Y),
                               driver.crosshair_span(late, *CENTRE) * 1.3, "the view was already out at the start")
            _, _, data = driver.read_rgb(late)
            self.assertGreater(driver.distinct_colours(data), 50)
            self.assertGreater(sum(1 for i in range(0, len(data), 3) if driver.near(data[i:i + 3], WALL)), 2000,
                               "buildings in view")
            self.assertLess(tracer_pixels(late), 50)

            g.move(WIDTH // 2, 100)
            beams = g.picture_when(lambda now: tracer_pixels(now) > 300, os.path.join(SHOTS, "gun-firing.png"),
                                   "mousedown", 1)
            self.assertTrue(beams, "no gun beam drawn")
            # Stand still and fire all round until the crowd wins, then the
            # title comes back just as it was (the pointer on the same entry).
            ended = False
            deadline = time.monotonic() + 50
            while not ended and time.monotonic() < deadline:
                for x, y in ((600, 300), (400, 500), (200, 300), (400, 100)):
                    g.move(x, y)
                g.move(WIDTH // 2, FIRST_ENTRY_Y)
                ended = driver.differing_pixels(title, self.shot(g, "end")) == 0
            g.button_up(1)
            self.assertTrue(ended, "still playing after 50 seconds")
            driver.expect_written(self, g.path("stats.dat"))
            if driver.FAULT is None:
                with open(g.path("stats.dat"), "rb") as f:
                    best = f.read()
                self.assertEqual(len(best), 4)
                self.assertGreater(struct.unpack("<i", best)[0], 0, "the best score")
            self.assertEqual(g.close(), (0, "", ""))

    def test_the_menu_over_a_game_resumes_it_and_walking_and_sprinting_move_the_view(self):
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            title = driver.settled_screenshot(g, os.path.join(SHOTS, "walk-title.png"))
            # Aimed at "Resume" from the start, the view stays put when the
            # menu closes. The game is stopped while the test looks, so few
            # zombies have come near by the time it resumes.
            self.start(g, (WIDTH // 2, FIRST_ENTRY_Y))
            g.freeze()
            playing = self.shot(g, "menu-playing")
            menu = os.path.join(SHOTS, "menu-open.png")
            # The menu over a game has the title's background.
            self.assertTrue(g.picture_when(lambda now: driver.differing_pixels(title, now, "3%") < WIDTH * HEIGHT // 4,
                                           menu, "keydown", "Return"), "no menu")
            g.key_up("Return")
            # Over a game the menu has four entries; "Resume" comes first.
            for entry in range(4):
                self.assertGreater(menu_entry_lit(menu, entry), 30, entry)
            self.assertLess(menu_entry_lit(menu, 4), 5)
            self.assertGreater(driver.differing_pixels(playing, menu, "3%"), WIDTH * HEIGHT // 2)
            resumed = g.first_picture_after(menu, os.path.join(SHOTS, "menu-resumed.png"), "mousedown", 1)
            g.button_up(1)
            g.move(*CENTRE)

            # The lawn leaves room for a walk right, back left, and a sprint right.
            start = self.still_view(g, "walk-0")
            g.keys("d", hold=0.7)
            time.sleep(0.4)
            walked = self.shot(g, "walk-1")
            g.keys("a", hold=0.7)
            time.sleep(0.4)
            back = self.shot(g, "walk-2")
            g.key_down("Shift_L")
            g.keys("d", hold=0.7)
            g.key_up("Shift_L")
            time.sleep(0.4)
            sprinted = self.shot(g, "walk-3")
            self.assertEqual(g.close(), (0, "", ""))
        # "Resume" goes back to the same game, seen from the same place.
        dx, dy, mismatch = driver.view_shift(playing, resumed)
        self.assertLessEqual(abs(dx), 8)
        self.assertLessEqual(abs(dy), 8)
        self.assertLess(mismatch, 8, "not the same game")
        walk_dx, walk_dy, _ = driver.view_shift(start, walked)
        sprint_dx, sprint_dy, _ = driver.view_shift(back, sprinted)
        self.assertGreater(walk_dx, 80, (walk_dx, walk_dy))
        self.assertGreater(sprint_dx, walk_dx * 1.3, (walk_dx, sprint_dx))
        self.assertLess(abs(walk_dy) + abs(sprint_dy), 40)
        # Walking costs no energy; 0.7 s of sprinting about a fifth of it.
        self.assertLess(abs(energy_bar_length(start) - energy_bar_length(back)), 5)
        self.assertLess(energy_bar_length(sprinted), energy_bar_length(back) * 0.9)

    def test_an_explosive_thrown_at_a_wall_opens_it(self):
        box = (130, 320, CENTRE[1] - 60, CENTRE[1] + 60)
        with driver.sized(GAME, MEDIA, WIDTH, HEIGHT, faketime=driver.NEW_YEAR) as g:
            g.wait_window()
            before = self.start(g, (114, CENTRE[1]))   # towards the building on the left
            was = wall_columns(before, *box)
            # The middle of the wall: the columns that are wall from top to bottom.
            solid = [x for x in range(len(was)) if was[x] == max(was)]
            wall = solid[len(solid) // 2]
            self.assertGreater(was[wall], 100, "a wall across the throw")
            g.click(3)
            # The flight and the blast take a loaded machine longer.
            opened = driver.wait_for(lambda: wall_columns(self.shot(g, "throw-after"), *box)[wall]
                                     < was[wall] // 2, 10, 0.3)
            self.assertTrue(opened, "the wall still stands")
            self.assertEqual(g.close(), (0, "", ""))


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
    shutil.rmtree("e2e-play", ignore_errors=True)
    SHOTS = driver.shots_dir("e2e-play")
    MEDIA = media_with_clear_vignettes(MEDIA)
    unittest.main()
