"""What a player does with the menus, in window pixels, for scenarios that
play through several of them.

The main menu lists its entries in 30-unit bands from -200 in a view 800
units tall; the pause menu's bars are 60 pixels tall, with a red edge on the
top bar's rows 53..55 once fully open, and its buttons sit 50 pixels apart
from 125 pixels above the middle of the window."""

import os
import time

from driver import rgb_at, wait_for

TITLE_ENTRIES = ("Start a new game", "Load game")
GAME_MENU_ENTRIES = ("Resume", "Start a new game", "Save game", "Load game")
PAUSE_BUTTONS = ("Resume game", "Exit", "Save screenshot", "Frame rate")
PAUSE_BAR_ROWS = 60
PAUSE_EDGE_ROW = 55
PAUSE_SLIDE = 1.2    # seconds for the pause menu to slide in or out where nothing shows it
MENU_SETTLE = 0.2    # seconds for a menu choice to take effect
SCREENSHOT_WAIT = 10 # seconds allowed for a screenshot to be encoded and written


def menu_entry_y(index, height):
    """Window row of the middle of main-menu entry `index`."""
    return int((-200 + 30 * index + 15 + 400) * height / 800)


def pause_button_y(index, height):
    """Window row of the middle of pause button `index`, menu fully open."""
    return int(height * 0.5 - 125) + 50 * index


def choose(game, entries, label):
    """Clicks a main-menu entry by its label; `entries` are the entries shown."""
    w, h = game.window_size()
    game.click(1, w // 2, menu_entry_y(entries.index(label), h))
    time.sleep(MENU_SETTLE)


def open_game_menu(game):
    """Return while playing: the main menu over the game in progress."""
    game.key("Return")
    time.sleep(MENU_SETTLE)


def red_edge(rgb):
    return rgb[0] > 170 and rgb[1] < 40


def open_pause(game):
    """Escape, then waits until the bars have slid fully in."""
    game.key("Escape")
    game.wait_pixel(game.window_size()[0] - 5, PAUSE_EDGE_ROW, red_edge)


def pause_closed(game, tries=100):
    """Waits until no top row is mostly the bar's red edge, which slides up
    and out as the pause menu closes; returns that picture."""
    for _ in range(tries):
        picture = game.screenshot()
        w = picture[0]
        if not any(sum(1 for x in range(0, w, 4) if red_edge(rgb_at(picture, x, y))) > w // 8
                   for y in range(PAUSE_BAR_ROWS)):
            return picture
        time.sleep(0.1)
    raise AssertionError("the pause menu stayed open")


def pause_and_click(game, label, folder=None, drawn=True):
    """Opens the pause menu, clicks one of its buttons once it is at rest and
    closes it again, unless the button ended the game or closed it. Without
    its pictures (drawn=False) the menu works unseen: allow it time instead."""
    w, h = game.window_size()
    if drawn:
        open_pause(game)
    else:
        game.key("Escape")
        time.sleep(PAUSE_SLIDE)
    folder = folder or game.workdir
    shots = screenshot_count(folder)
    game.click(1, w // 2, pause_button_y(PAUSE_BUTTONS.index(label), h))
    if label == "Save screenshot":
        # Encoding holds up the game's pass (for seconds in a sanitizer
        # build); a run whose files cannot be written waits the whole time.
        wait_for(lambda: screenshot_count(folder) > shots, SCREENSHOT_WAIT, 0.05)
        time.sleep(MENU_SETTLE)
    if label != "Exit":
        if label != "Resume game":
            game.key("Escape")
        if drawn:
            pause_closed(game)
        else:
            time.sleep(PAUSE_SLIDE)


def screenshot_count(folder):
    """How many screenshots a folder holds."""
    return sum(1 for name in os.listdir(folder) if name.startswith("screenshot"))


def new_game_then_menu(game, rng, seconds):
    """From the title: a new game, random play for `seconds`, then the main
    menu over the game in progress."""
    choose(game, TITLE_ENTRIES, "Start a new game")
    wander(game, rng, seconds)
    open_game_menu(game)


def wander(game, rng, seconds):
    """Random play for about `seconds`: walking and sprinting, aiming all over
    the window, shooting and throwing explosives."""
    w, h = game.window_size()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        chain = ["mousemove", "--window", game.window, rng.randrange(w), rng.randrange(h)]
        if rng.random() < 0.3:
            chain += ["keydown", "Shift_L"]
        direction = rng.choice(("w", "a", "s", "d", "Up", "Left", "Down", "Right"))
        chain += ["keydown", direction, "sleep", round(rng.uniform(0.1, 0.6), 2)]
        button = rng.choice((1, 1, 1, 3))
        chain += ["mousedown", button, "sleep", 0.06, "mouseup", button]
        chain += ["keyup", direction, "keyup", "Shift_L", "sleep", 0.06]
        game.xdotool(*chain)
