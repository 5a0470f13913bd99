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
BROKEN = {  # four pictures broken in four ways
    "spritesheettexture.png": lambda d: d[:len(d) // 2],
    "dashboard.png": lambda d: d[:len(d) // 3],
    "borderbloodtexture.png": lambda d: b"",
    "tiledarktexture.png": lambda d: d[:len(d) // 2] + bytes(b ^ 0x5A for b in d[len(d) // 2:]),
}


def damaged_media(into):
    """Copies Media/ into `into` with the BROKEN pictures."""
    shutil.copytree(MEDIA, into)
    for name, change in BROKEN.items():
        with open(os.path.join(into, name), "rb") as f:
            data = f.read()
        with open(os.path.join(into, name), "wb") as f:
            f.write(change(data))


class DamagedMedia(unittest.TestCase):

    def test_broken_pictures_neither_stop_the_game_nor_print_anything(self):
        with tempfile.TemporaryDirectory(prefix="vg-media-") as scratch:
            media = os.path.join(scratch, "Media")
            damaged_media(media)
            with driver.sized(GAME, media) as g:
                g.wait_window()
                player.new_game_then_menu(g, random.Random(7), 2)
                player.choose(g, player.GAME_MENU_ENTRIES, "Resume")
                player.pause_and_click(g, "Frame rate", drawn=False)   # the overlay's sheet is broken
                self.assertEqual(g.close(), (0, "", ""))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
