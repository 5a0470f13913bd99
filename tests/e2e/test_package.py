"""The Debian package as a player gets it: built with CPack, unpacked, and
started through its launcher, which keeps every file the game writes in the
player's data directory."""

import os
import pathlib
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

GAME, MEDIA = None, None
SETTING_KEYS = ("screenw", "screenh", "screenbpp", "fullscreen", "showcursor", "antialiasing", "mipmapping",
                "volume", "mute")
PROGRAMS = {"usr/games/vellgrave2", "usr/lib/games/vellgrave2/vellgrave2", "usr/games/vellgrave2-replay",
            "usr/lib/games/vellgrave2/vellgrave2-replay", "usr/share/applications/vellgrave2.desktop",
            "usr/share/icons/hicolor/256x256/apps/vellgrave2.png"}


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def tree(root):
    """Every file and link under root, relative to it."""
    return {os.path.relpath(os.path.join(here, name), root) for here, dirs, files in os.walk(root)
            for name in files + [d for d in dirs if os.path.islink(os.path.join(here, d))]}


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = os.path.dirname(GAME)
        cls.scratch = tempfile.mkdtemp(prefix="vg-package-")
        out, cls.root = os.path.join(cls.scratch, "out"), os.path.join(cls.scratch, "root")
        run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out)
        cls.deb = next(os.path.join(out, n) for n in os.listdir(out) if n.endswith(".deb"))
        run("dpkg-deb", "-x", cls.deb, cls.root)
        cls.installed = os.path.join(cls.scratch, "installed")
        run("cmake", "--install", build, "--prefix", os.path.join(cls.installed, "usr"))
        cls.launcher = os.path.join(cls.root, "usr/games/vellgrave2")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def test_the_package_holds_the_game_as_debian_lays_out_games_and_its_launcher_says_why_it_cannot_start(self):
        installed = PROGRAMS | {"usr/share/games/vellgrave2/Media/" + name for name in os.listdir(MEDIA)}
        self.assertIn("usr/share/games/vellgrave2/Media/shot.wav", installed)
        self.assertEqual(tree(self.root), installed)
        self.assertEqual(tree(self.installed), installed, "cmake --install lays out the same files")
        fields = run("dpkg-deb", "-f", self.deb, "Package", "Section", "Depends", "Version")
        for field in ("Package: vellgrave2", "Section: games", "Version: 0.8", "libsdl1.2debian", "libsdl-mixer1.2"):
            self.assertIn(field, fields)
        self.assertTrue(os.access(self.launcher, os.X_OK))
        blocker = os.path.join(self.scratch, "not-a-directory")   # a home where nothing can be kept
        pathlib.Path(blocker).write_text("x")
        r = subprocess.run([self.launcher], env=dict(os.environ, HOME=blocker, XDG_DATA_HOME=""),
                           capture_output=True, text=True, timeout=30)
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot write to", r.stderr)
        entry = pathlib.Path(self.root, "usr/share/applications/vellgrave2.desktop").read_text().splitlines()
        for line in ("[Desktop Entry]", "Type=Application", "Name=Vellgrave 2", "Exec=vellgrave2",
                     "Icon=vellgrave2", "Categories=Game;ActionGame;"):
            self.assertIn(line, entry)
        w, h, data = driver.read_rgb(os.path.join(self.root, "usr/share/icons/hicolor/256x256/apps/vellgrave2.png"))
        self.assertEqual(w, 256)
        self.assertEqual(h, 256)
        self.assertGreater(driver.distinct_colours(data), 100)

    def launch(self, home, **env):
        return driver.Game(self.launcher, MEDIA, env=dict({"HOME": home, "XDG_DATA_HOME": ""}, **env))

    def test_the_launcher_keeps_every_file_in_the_players_data_directory(self):
        home = os.path.join(self.scratch, "home")
        data = os.path.join(home, ".local/share/vellgrave2")
        with self.launch(home) as g:
            g.wait_window(800, 600)
            driver.choose(g, driver.TITLE_ENTRIES, "Start a new game")
            driver.wander(g, random.Random(3), 1)
            driver.open_game_menu(g, os.path.join(self.scratch, "menu.png"))
            driver.choose(g, driver.GAME_MENU_ENTRIES, "Save game")
            driver.pause_and_click(g, "Save screenshot", data)
            driver.assert_quiet_exit(self, g.close())
            self.assertEqual(g.files(), {"Media"}, "the launch directory is left alone")
        self.assertEqual(tree(home), {".local/share/vellgrave2/" + name for name in (
            "Media", "settings.ini", "save.dat", "screenshot1.png", "lastgame.rec")})
        self.assertEqual(os.path.realpath(os.path.join(data, "Media")),
                         os.path.realpath(os.path.join(self.root, "usr/share/games/vellgrave2/Media")))
        lines = pathlib.Path(data, "settings.ini").read_text().splitlines()
        for key in SETTING_KEYS:
            self.assertIn(key + "=0", lines)
        self.assertLessEqual(len(lines), 100, "the game reads only the first 100 lines")
        # The installed replayer finds the last game in the data directory.
        check = subprocess.run([os.path.join(self.root, "usr/games/vellgrave2-replay"), "--check", "lastgame.rec"],
                               env=dict(os.environ, HOME=home, XDG_DATA_HOME=""), cwd=self.root,
                               capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertTrue(check.stdout.startswith("ok: "), check.stdout)

        # A later run: the player's own settings, a Media link gone stale, and
        # the data home named by XDG_DATA_HOME.
        settings = "# mine\nscreenw=640\nscreenh=480\n"
        pathlib.Path(data, "settings.ini").write_text(settings)
        os.remove(os.path.join(data, "Media"))
        os.symlink("/nonexistent/old/Media", os.path.join(data, "Media"))
        elsewhere = os.path.join(self.scratch, "elsewhere")
        with self.launch(elsewhere, XDG_DATA_HOME=os.path.join(home, ".local/share")) as g:
            g.wait_window(640, 480)
            g.move(320, driver.menu_entry_y(1, 480))
            title = g.settled(os.path.join(self.scratch, "title.png"))
            g.first_picture_after(title, os.path.join(self.scratch, "loaded.png"), "mousedown", 1)   # the saved game
            g.xdotool("mouseup", 1)
            driver.assert_quiet_exit(self, g.close())
        self.assertFalse(os.path.exists(elsewhere))
        self.assertEqual(pathlib.Path(data, "settings.ini").read_text(), settings)
        self.assertTrue(os.path.isfile(os.path.join(data, "Media", "spritesheettexture.png")))


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
