"""Broken pictures in Media/: a sprite sheet and an overlay sheet cut short, a
vignette that is empty and a pattern whose pixel data is scrambled. The game
starts, shows its menus, plays and exits cleanly without a word on either
output stream, as with whole pictures."""

import os
import shutil
import sys
import random
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402

GAME, MEDIA = None, None
WIDTH, HEIGHT = 800, 600
SETTINGS = "screenw=%d\nscreenh=%d\n" % (WIDTH, HEIGHT)


def damaged_media(into):
    """Copies Media/ into `into` with four pictures broken in four ways."""
    shutil.copytree(MEDIA, into)

    def rewrite(name, change):
        path = os.path.join(into, name)
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(change(data))

    rewrite("spritesheettexture.png", lambda d: d[:len(d) // 2])
    rewrite("dashboard.png", lambda d: d[:len(d) // 3])
    rewrite("borderbloodtexture.png", lambda d: b"")
    rewrite("tiledarktexture.png", lambda d: d[:len(d) // 2] + bytes(b ^ 0x5A for b in d[len(d) // 2:]))


class DamagedMedia(unittest.TestCase):

    def test_broken_pictures_neither_stop_the_game_nor_print_anything(self):
        with tempfile.TemporaryDirectory(prefix="vg-media-") as scratch:
            media = os.path.join(scratch, "Media")
            damaged_media(media)
            with driver.Game(GAME, media, screen=(WIDTH, HEIGHT), settings=SETTINGS) as g:
                g.wait_window(WIDTH, HEIGHT)
                player.new_game_then_menu(g, random.Random(7), 2)
                player.choose(g, player.GAME_MENU_ENTRIES, "Resume")
                player.pause_and_click(g, "Frame rate")
                self.assertEqual(g.close(), (0, "", ""))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
