"""What a player does with the menus, in window pixels.

The main menu lists its entries in 30-unit bands from -200 in a view 800
units tall. The pause overlay's bars are 60 pixels tall, the top one with a
red edge on rows 53..55 once fully open; its buttons sit 50 pixels apart from
125 pixels above the middle of the window."""

import os
import time

from driver import HOLD, count, near, read_rgb, rgb_at, rows, wait_for

TITLE_ENTRIES = ("Start a new game", "Load game")
GAME_MENU_ENTRIES = ("Resume", "Start a new game", "Save game", "Load game")
PAUSE_BUTTONS = ("Resume game", "Exit", "Save screenshot", "Frame rate")
PAUSE_BAR_ROWS = 60
PAUSE_EDGE_ROW = 55
PANEL_EDGE = (191, 194, 204)   # the light edge of the frame-rate panel and the buttons
PAUSE_SLIDE = 1.2     # seconds for the overlay to slide in or out where nothing shows it
MENU_SETTLE = 0.2     # seconds for a menu choice to take effect


def menu_entry_y(index, height):
    """Window row of the middle of main-menu entry `index`."""
    return int((-200 + 30 * index + 15 + 400) * height / 800)


def pause_button_y(index, height):
    """Window row of the middle of pause button `index`, the overlay fully open."""
    return int(height * 0.5 - 125) + 50 * index


def entries_shown(png):
    """How many main-menu entries have a lit label, from the first on."""
    picture = read_rgb(png)
    h = picture[1]
    lit = [count(rows(picture, menu_entry_y(i, h) - 8, menu_entry_y(i, h) + 8, 0, picture[0] // 2),
                 lambda p: min(p) > 180) > 30 for i in range(6)]
    return (lit + [False]).index(False)


def choose(game, entries, label):
    """Clicks a main-menu entry by its label; `entries` are those shown."""
    w, h = game.window_size()
    game.click(1, w // 2, menu_entry_y(entries.index(label), h))
    time.sleep(MENU_SETTLE)


def open_game_menu(game):
    """Return while playing: the main menu over the game in progress."""
    game.keys("Return")
    time.sleep(MENU_SETTLE)


def red_edge(rgb):
    return rgb[0] > 170 and rgb[1] < 40


def open_pause(game):
    """Escape, then waits until the bars have slid fully in."""
    game.keys("Escape")
    if not wait_for(lambda: red_edge(rgb_at(game.picture(), game.window_size()[0] - 5, PAUSE_EDGE_ROW)), 10, 0.05):
        raise AssertionError("the pause overlay never opened")


def pause_closed(game):
    """Waits until no top row is mostly the bar's red edge, which slides up
    and out as the overlay closes; returns that picture."""
    def closed():
        closed.picture = p = game.picture()
        return not any(sum(1 for x in range(0, p[0], 4) if red_edge(rgb_at(p, x, y))) > p[0] // 8
                       for y in range(PAUSE_BAR_ROWS))
    if not wait_for(closed, 10):
        raise AssertionError("the pause overlay stayed open")
    return closed.picture


def screenshot_count(folder):
    return sum(1 for name in os.listdir(folder) if name.startswith("screenshot"))


def pause_and_click(game, label, folder=None, drawn=True):
    """Opens the pause overlay, clicks a button once it is at rest and closes
    it again. Without its pictures (drawn=False) it works unseen: allow time."""
    w, h = game.window_size()
    if drawn:
        open_pause(game)
    else:
        game.keys("Escape")
        time.sleep(PAUSE_SLIDE)
    folder = folder or game.workdir
    shots = screenshot_count(folder)
    game.click(1, w // 2, pause_button_y(PAUSE_BUTTONS.index(label), h))
    if label == "Save screenshot":   # encoding holds up the pass, for seconds in a sanitizer build
        wait_for(lambda: screenshot_count(folder) > shots, 10, 0.05)
    game.keys("Escape")
    if drawn:
        pause_closed(game)
    else:
        time.sleep(PAUSE_SLIDE)


def wander(game, rng, seconds):
    """Random play for about `seconds`: walking and sprinting, aiming all over
    the window, shooting and throwing explosives."""
    w, h = game.window_size()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        direction = rng.choice(("w", "a", "s", "d", "Up", "Left", "Down", "Right"))
        button = rng.choice((1, 1, 1, 3))
        game.xdotool("mousemove", "--window", game.window, rng.randrange(w), rng.randrange(h),
                     *(["keydown", "Shift_L"] if rng.random() < 0.3 else []),
                     "keydown", direction, "sleep", round(rng.uniform(0.1, 0.6), 2),
                     "mousedown", button, "sleep", HOLD, "mouseup", button,
                     "keyup", direction, "keyup", "Shift_L", "sleep", HOLD)



def frame_rate_shown(picture):
    """The frame-rate panel's light edge at the top left, over the kill counts."""
    return count(rows(picture, 0, 60, 0, 360), lambda p: near(p, PANEL_EDGE, 6)) > 300


def panel_centres(picture, x):
    """Centre rows of the pause buttons crossing column x, between the light
    lines above and below each button's text."""
    lines, previous = [], -2
    for y in range(picture[1]):
        r, g, b = rgb_at(picture, x, y)
        if 170 <= min(r, g, b) and max(r, g, b) <= 225 and max(r, g, b) - min(r, g, b) < 25:
            if y != previous + 1:
                lines.append(y)
            previous = y
    return [(top + bottom) // 2 for top, bottom in zip(lines[0::2], lines[1::2])]
