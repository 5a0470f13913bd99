"""The Debian package as a player gets it: built with CPack, unpacked into a
staging root and started through its launcher under a fresh home directory.
The launcher makes the data directory, links the pictures and writes a
commented "settings.ini" on the first run, keeps the player's own settings
later, and everything the game writes lands in the data directory alone."""

import os
import shutil
import subprocess
import sys
import random
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402

GAME, MEDIA = None, None
WIDTH, HEIGHT = 800, 600
SETTING_KEYS = ("screenw", "screenh", "screenbpp", "fullscreen", "showcursor", "antialiasing", "mipmapping",
                "volume", "mute")
INSTALLED = ("usr/games/vellgrave2", "usr/lib/games/vellgrave2/vellgrave2", "usr/games/vellgrave2-replay",
             "usr/lib/games/vellgrave2/vellgrave2-replay",
             "usr/share/applications/vellgrave2.desktop",
             "usr/share/icons/hicolor/256x256/apps/vellgrave2.png") + tuple(
    "usr/share/games/vellgrave2/Media/" + name for name in (
        "spritesheettexture.png", "borderdarknesstexture.png", "borderbloodtexture.png",
        "tilebrighttexture.png", "tiledarktexture.png", "dashboard.png")) + tuple(
    "usr/share/games/vellgrave2/Media/%s.wav" % name for name in (
        "shot", "throw", "explosion", "playerbitten", "zombiekilled", "civilianbitten", "civiliankilled",
        "playerdied", "groan1", "groan2", "groan3", "menuhover", "menuclick", "pauseopen", "pauseclose", "shutter"))


def run(*args, **kwargs):
    return subprocess.run([str(a) for a in args], check=True, capture_output=True, text=True, **kwargs).stdout


def tree(root):
    """Every file and link under root, as paths relative to it."""
    found = set()
    for here, dirs, files in os.walk(root):
        for name in files + [d for d in dirs if os.path.islink(os.path.join(here, d))]:
            found.add(os.path.relpath(os.path.join(here, name), root))
    return found


class Package(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        build = os.path.dirname(GAME)
        cls.scratch = tempfile.mkdtemp(prefix="vg-package-")
        out = os.path.join(cls.scratch, "out")
        run("cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out)
        cls.deb = next(os.path.join(out, n) for n in os.listdir(out) if n.endswith(".deb"))
        cls.root = os.path.join(cls.scratch, "root")
        run("dpkg-deb", "-x", cls.deb, cls.root)
        cls.installed = os.path.join(cls.scratch, "installed")
        run("cmake", "--install", build, "--prefix", os.path.join(cls.installed, "usr"))
        cls.launcher = os.path.join(cls.root, "usr/games/vellgrave2")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def home(self, name):
        path = os.path.join(self.scratch, name)
        os.makedirs(path)
        return path

    def test_the_package_holds_the_game_as_debian_lays_out_games(self):
        self.assertEqual(tree(self.root), set(INSTALLED))
        self.assertEqual(tree(self.installed), set(INSTALLED), "cmake --install lays out the same files")
        fields = run("dpkg-deb", "-f", self.deb, "Package", "Section", "Depends", "Version")
        self.assertIn("Package: vellgrave2", fields)
        self.assertIn("Section: games", fields)
        self.assertIn("Version: 0.8", fields)
        self.assertIn("libsdl1.2debian", fields)
        self.assertIn("libsdl-mixer1.2", fields)
        self.assertTrue(os.access(self.launcher, os.X_OK))
        with open(os.path.join(self.root, "usr/share/applications/vellgrave2.desktop")) as f:
            entry = f.read().splitlines()
        for line in ("[Desktop Entry]", "Type=Application", "Name=Vellgrave 2", "Exec=vellgrave2",
                     "Icon=vellgrave2", "Categories=Game;ActionGame;"):
            self.assertIn(line, entry)
        icon = os.path.join(self.root, "usr/share/icons/hicolor/256x256/apps/vellgrave2.png")
        w, h, data = driver.read_rgb(icon)
        self.assertEqual((w, h), (256, 256))
        self.assertGreater(driver.distinct_colours(data), 100)

    def launch(self, home, env=None):
        """The launcher started under a home directory of its own."""
        env = dict({"HOME": home, "XDG_DATA_HOME": ""}, **(env or {}))
        return driver.Game(self.launcher, MEDIA, screen=(WIDTH, HEIGHT), env=env)

    def files_kept(self, game, home):
        """After a clean exit: the launch directory holds only what the driver
        put there, and every file under the home lies in the data directory."""
        self.assertEqual(game.close(), (0, "", ""))
        self.assertEqual(os.listdir(game.workdir), ["Media"], "the launch directory is left alone")
        return {os.path.relpath(p, ".local/share/vellgrave2") for p in tree(home)}

    def test_first_run_prepares_the_data_directory_where_the_game_keeps_its_files(self):
        home = self.home("first-home")
        data = os.path.join(home, ".local/share/vellgrave2")
        with self.launch(home) as g:
            g.wait_window(WIDTH, HEIGHT)
            self.assertTrue(driver.wait_for(lambda: driver.lit_pixels(g.screenshot()[2]) > WIDTH * HEIGHT // 300),
                            "the title menu never appeared")
            player.new_game_then_menu(g, random.Random(3), 1)
            player.choose(g, player.GAME_MENU_ENTRIES, "Save game")
            player.pause_and_click(g, "Save screenshot", data)
            kept = self.files_kept(g, home)
        self.assertEqual(kept, {"Media", "settings.ini", "save.dat", "screenshot1.png", "lastgame.rec"})
        self.assertEqual(os.path.realpath(os.path.join(data, "Media")),
                         os.path.realpath(os.path.join(self.root, "usr/share/games/vellgrave2/Media")))
        with open(os.path.join(data, "settings.ini")) as f:
            lines = f.read().splitlines()
        for key in SETTING_KEYS:
            self.assertIn(key + "=0", lines)
        self.assertLessEqual(len(lines), 100, "the game reads only the first 100 lines")
        # The installed replayer finds the last game in the data directory.
        check = subprocess.run([os.path.join(self.root, "usr/games/vellgrave2-replay"), "--check", "lastgame.rec"],
                               env=dict(os.environ, HOME=home, XDG_DATA_HOME=""), cwd=self.root,
                               capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertTrue(check.stdout.startswith("ok: "), check.stdout)

    def test_later_runs_keep_the_players_settings_and_follow_xdg_data_home(self):
        data_home = self.home("xdg")
        data = os.path.join(data_home, "vellgrave2")
        os.makedirs(data)
        settings = "# mine\nscreenw=640\nscreenh=480\n"
        with open(os.path.join(data, "settings.ini"), "w") as f:
            f.write(settings)
        os.symlink("/nonexistent/old/Media", os.path.join(data, "Media"))
        home = self.home("later-home")
        with self.launch(home, {"XDG_DATA_HOME": data_home}) as g:
            g.wait_window(640, 480)
            self.assertEqual(self.files_kept(g, home), set())
        with open(os.path.join(data, "settings.ini")) as f:
            self.assertEqual(f.read(), settings)
        self.assertTrue(os.path.isfile(os.path.join(data, "Media", "spritesheettexture.png")),
                        "a stale Media link is pointed at the installed pictures")

    def test_the_launcher_says_why_when_it_has_nowhere_to_keep_files(self):
        blocker = os.path.join(self.scratch, "not-a-directory")
        with open(blocker, "w") as f:
            f.write("x")
        r = subprocess.run([self.launcher], env=dict(os.environ, HOME=blocker, XDG_DATA_HOME=""),
                           capture_output=True, text=True, timeout=30)
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot write to", r.stderr)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
