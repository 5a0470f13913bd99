"""What a player hears, through SDL's disk audio driver, which writes the mixed
output (16-bit stereo at 44.1 kHz, no header) to a file: the untouched title
is silent, shots are heard, the pause overlay silences the game and closing
it lets it be heard again, mute=1 opens no device at all, volume=20 is
clearly softer; with no audio device at all the game plays, exits 0 and
prints nothing; and the recorded game is heard again when vellgrave2-replay
plays it in its window, but never opens a device to check it."""

import array
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import player  # noqa: E402

GAME, MEDIA = None, None

WIDTH, HEIGHT = 640, 480
FRAME_BYTES = 4                # a stereo frame of two 16-bit samples
RATE = 44100
AUDIO_DELAY_MS = 20            # the disk writer sleeps this long per 23 ms buffer: about real time
HEARD = 3000                   # a peak above this is clearly heard (full scale 32767)
SHOOTING = 1.5                 # seconds of fire held down


def samples(path, start=0, end=None):
    """The 16-bit samples of the raw output between two byte offsets."""
    with open(path, "rb") as f:
        f.seek(start)
        data = f.read() if end is None else f.read(max(0, end - start))
    data = data[:len(data) // FRAME_BYTES * FRAME_BYTES]
    values = array.array("h")
    values.frombytes(data)
    if sys.byteorder == "big":
        values.byteswap()
    return values


def peak(values):
    return max((abs(v) for v in values), default=0)


class Sound(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="vg-sound-")
        self.raw = os.path.join(self.scratch, "out.raw")

    def tearDown(self):
        shutil.rmtree(self.scratch, ignore_errors=True)

    def game(self, settings="", faketime=None, env=None):
        """A 640 x 480 game whose sound goes to the raw file, with extra settings lines."""
        audio = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.raw,
                 "SDL_DISKAUDIODELAY": str(AUDIO_DELAY_MS)}
        g = driver.Game(GAME, MEDIA, settings="screenw=%d\nscreenh=%d\n%s" % (WIDTH, HEIGHT, settings),
                        faketime=faketime, env=audio if env is None else env)
        g.size = (WIDTH, HEIGHT)
        return g

    def written(self):
        """Bytes of output so far; 0 while the device has not written any."""
        return os.path.getsize(self.raw) if os.path.exists(self.raw) else 0

    def wait_audio(self, seconds):
        """Waits until at least `seconds` more of output have been written;
        returns the offset reached."""
        target = self.written() + int(seconds * RATE) * FRAME_BYTES
        self.assertTrue(driver.wait_for(lambda: self.written() >= target, 20, 0.02),
                        "the audio output stalled at %d bytes" % self.written())
        return self.written()

    def start_playing(self, g):
        g.wait_window()
        player.choose(g, player.TITLE_ENTRIES, "Start a new game")
        g.move(WIDTH // 2 + 120, HEIGHT // 2)

    def shoot(self, g, seconds=SHOOTING):
        """Holds fire for about `seconds` of output; returns the offsets before and after."""
        g.button_down(1)
        before = self.written()
        after = self.wait_audio(seconds)
        g.button_up(1)
        return before, after

    def test_an_untouched_title_is_silent_and_ticks_when_the_pointer_moves_onto_an_entry(self):
        with self.game() as g:
            g.wait_window()
            untouched = self.wait_audio(2.0)
            g.move(WIDTH // 2, player.menu_entry_y(1, HEIGHT))
            self.wait_audio(0.3)
            rc, out, err = g.close()
        self.assertEqual(rc, 0)
        self.assertGreater(untouched, 2 * RATE * FRAME_BYTES, "the device never ran")
        self.assertEqual(peak(samples(self.raw, 0, untouched)), 0, "the title made a sound")
        self.assertGreater(peak(samples(self.raw, untouched)), HEARD, "no tick on the entry")

    def test_shots_are_heard_the_pause_overlay_silences_them_and_closing_it_resumes(self):
        with self.game() as g:
            self.start_playing(g)
            before, after = self.shoot(g)
            self.assertGreater(peak(samples(self.raw, before, after)), HEARD, "no shot was heard")

            g.button_down(1)
            self.wait_audio(0.3)
            g.key("Escape")
            self.wait_audio(0.6)          # the overlay's own opening sound dies away
            frozen = self.written()
            self.wait_audio(1.5)
            paused = samples(self.raw, frozen, self.written())
            g.key("Escape")
            resumed = self.written()
            self.wait_audio(1.5)
            heard_again = peak(samples(self.raw, resumed, self.written()))
            g.button_up(1)
            rc, _, _ = g.close()
        self.assertEqual(rc, 0)
        self.assertEqual(peak(paused), 0, "the paused game was heard")
        self.assertGreater(heard_again, HEARD, "no shots after the overlay closed")

    def test_mute_opens_no_device_and_nothing_is_heard(self):
        with self.game("mute=1\n") as g:
            self.start_playing(g)
            g.button_down(1)
            time.sleep(SHOOTING)
            g.button_up(1)
            rc, out, err = g.close()
        self.assertEqual(rc, 0)
        self.assertFalse(os.path.exists(self.raw), "a muted game opened the audio device")

    def loudest(self, settings):
        """Peaks of the output of a new game at a fixed clock (the same city,
        the same first steps): over the menu's click that starts it (and the
        shot the same press fires), and over the shots that follow."""
        if os.path.exists(self.raw):
            os.remove(self.raw)
        with self.game(settings, faketime=driver.NEW_YEAR) as g:
            self.start_playing(g)
            start = peak(samples(self.raw))
            before, after = self.shoot(g)
            shots = peak(samples(self.raw, before, after))
            rc, _, _ = g.close()
        self.assertEqual(rc, 0)
        return start, shots

    def test_volume_20_is_clearly_softer_than_full(self):
        full_start, full_shots = self.loudest("")
        soft_start, soft_shots = self.loudest("volume=20\n")
        self.assertGreater(full_shots, HEARD)
        self.assertGreater(soft_shots, 0, "volume=20 silenced the shots")
        self.assertLess(soft_shots, full_shots * 0.35)
        self.assertGreater(full_start, HEARD, "the start of the game was not heard")
        self.assertLess(soft_start, full_start * 0.35)

    def play_quietly(self, env):
        """Plays, shoots, pauses and closes; returns wait_exit()."""
        with self.game(env=env) as g:
            self.start_playing(g)
            g.button_down(1)
            time.sleep(SHOOTING)
            g.button_up(1)
            player.open_pause(g)
            g.key("Escape")
            player.pause_closed(g)
            return g.close()

    def test_without_any_audio_device_the_game_plays_exits_0_and_prints_nothing(self):
        rc, out, err = self.play_quietly({"SDL_AUDIODRIVER": None})
        self.assertEqual(rc, 0)
        self.assertEqual(out, "")
        self.assertEqual(err, "")

    @unittest.skipUnless(os.path.exists("/dev/full"), "needs /dev/full")
    def test_a_device_that_fails_while_playing_leaves_the_game_playing_silently(self):
        rc, out, err = self.play_quietly({"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/full",
                                          "SDL_DISKAUDIODELAY": str(AUDIO_DELAY_MS)})
        self.assertEqual(rc, 0)
        self.assertEqual(out, "")
        self.assertEqual(err, "")

    @unittest.skipIf(driver.FAULT, "a game that cannot write leaves no recording to replay")
    def test_a_replay_in_its_window_is_heard_and_a_check_opens_no_device(self):
        with self.game() as g:
            self.start_playing(g)
            self.shoot(g)
            rc, _, _ = g.close()
            self.assertEqual(rc, 0)
            recording = os.path.join(self.scratch, "lastgame.rec")
            shutil.copy(g.path("lastgame.rec"), recording)
        os.remove(self.raw)
        replay = os.path.join(os.path.dirname(GAME), "vellgrave2-replay")
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.raw, SDL_VIDEODRIVER="dummy")
        check = subprocess.run([replay, "--check", recording], env=env, capture_output=True, text=True,
                               cwd=self.scratch, timeout=120)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertFalse(os.path.exists(self.raw), "checking a recording opened the audio device")

        # The window mode plays lastgame.rec from its working directory: a
        # wrapper puts the recording there and becomes the replay.
        wrapper = os.path.join(self.scratch, "replay.sh")
        with open(wrapper, "w") as f:
            f.write('#!/bin/sh\ncp "%s" lastgame.rec && exec "%s"\n' % (recording, replay))
        os.chmod(wrapper, 0o755)
        audio = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.raw,
                 "SDL_DISKAUDIODELAY": str(AUDIO_DELAY_MS)}
        with driver.Game(wrapper, MEDIA, env=audio) as g:
            g.size = (WIDTH, HEIGHT)
            g.wait_window()
            heard = driver.wait_for(lambda: self.written() and peak(samples(self.raw)) > HEARD, 30, 0.2)
            rc, _, _ = g.close()
        self.assertTrue(heard, "the replayed shots were not heard")
        self.assertEqual(rc, 0)


if __name__ == "__main__":
    GAME, MEDIA = driver.paths_from_argv()
    unittest.main()
