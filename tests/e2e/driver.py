"""Drives the real game as a player would, each run on its own Xvfb in a
scratch directory. Journeys wait for what they look for, never a fixed time,
and stop the game while they look (picture_when): the suite shares a loaded
machine."""

import array
import contextlib
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

NEW_YEAR = "2026-01-01 00:00:00"   # the fixed clock most journeys start from
HOLD = 0.06              # seconds a key or button is held, and left before the next
HUD_ROWS = (0.15, 0.84)  # share of the height between the kill counts and the bars
PLAY_CROSSHAIR = (85, 110)  # width of the aim mark at play zoom in an 800 x 600 window
AUDIO_SECOND = 44100 * 4  # bytes of a second of the disk driver's output: stereo frames of two 16-bit samples
AUDIO_DELAY_MS = 20      # the disk writer sleeps this long per 23 ms buffer: about real time
HEARD = 3000             # a peak above this is clearly heard (full scale 32767)

# Fault runs (tools/faults), in the game's own mount namespace: its directory
# read-only, or on a tiny tmpfs filled to the last byte. Journeys pass all the
# same, less what the game writes.
FAULT = os.environ.get("VG_E2E_FAULT") or None
_FAULT_SCRIPTS = {
    "readonly": 'mount --bind -o ro "$0" "$0" && cd "$0" && exec "$@"',
    "diskfull": 'keep=$(mktemp -d) && cp -a "$0"/. "$keep"/ && mount -t tmpfs -o size=256k vgfull "$0" && '
                'cp -a "$keep"/. "$0"/ && rm -rf "$keep" && cd "$0" && '
                '{ cat /dev/zero > "$0"/.filler 2>/dev/null; exec "$@"; }',
}


def paths_from_argv():
    """Takes the game binary and the Media directory off sys.argv."""
    paths = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
    return paths


def shots_dir(name):
    """An emptied folder beside the test for the pictures a journey keeps, one for each fault."""
    path = os.path.abspath(name + ("-" + FAULT if FAULT else ""))
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def written_files(*names):
    """The game's directory once it wrote `names`, none of them in a fault run."""
    return {"Media", "settings.ini"} | (set() if FAULT else set(names))


def assert_quiet_exit(test, result, code=0):
    """Checks what wait_exit() gave: the exit code, and not a word on stdout or stderr."""
    test.assertEqual(result[0], code)
    test.assertEqual(result[1], "")
    test.assertEqual(result[2], "")


def kill(process):
    """Kills a process started in a session of its own, with its group, unless it has ended."""
    if process.poll() is None:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, signal.SIGKILL)
    return process.wait()


class Game:
    """One run of the game. size: the window "settings.ini" asks for (else
    `settings` as given); faketime: the clock's start instant; no_display: no X."""

    def __init__(self, game, media, size=None, screen=(800, 600), settings=None, faketime=None,
                 env=None, no_display=False):
        if size is not None:
            settings, screen = "screenw=%d\nscreenh=%d\n" % size, (max(size[0], 800), max(size[1], 600))
        self.game, self.media, self.size, self.screen, self.settings = game, media, size, screen, settings
        self.faketime, self.env, self.no_display = faketime, env or {}, no_display
        self.xvfb = self.proc = self.scratch = self.window = self.result = self.out = self.err = None

    def __enter__(self):
        """Makes the working directory, starts the server and the game."""
        try:
            self.scratch = tempfile.mkdtemp(prefix="vg-e2e-")
            self.workdir = os.path.join(self.scratch, "run")
            os.mkdir(self.workdir)
            os.symlink(self.media, self.path("Media"))
            if self.settings is not None:
                with open(self.path("settings.ini"), "w") as f:
                    f.write(self.settings)
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "SDL_VIDEODRIVER", "XAUTHORITY")}
            if not self.no_display:
                self.start_xvfb()
                env["DISPLAY"] = self.display
            if self.faketime is not None:
                env["LD_PRELOAD"] = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[0]
                env["FAKETIME"] = "@" + self.faketime
            env["SDL_AUDIODRIVER"] = "dummy"   # sound plays into nothing unless a scenario asks (None: unset)
            env = {k: v for k, v in dict(env, **self.env).items() if v is not None}
            self.out, self.err = (tempfile.TemporaryFile(dir=self.scratch) for _ in range(2))
            self.proc = subprocess.Popen(self.fault_wrapper() + [self.game], cwd=self.workdir, env=env,
                                         stdin=subprocess.DEVNULL, stdout=self.out, stderr=self.err,
                                         start_new_session=True)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        """Kills the game if it still runs, stops Xvfb, removes the directory."""
        for process in (self.proc, self.xvfb):
            if process is not None:
                kill(process)
        for f in (self.out, self.err):
            f and f.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start_xvfb(self):
        """Starts Xvfb on a free display and waits until it is ready."""
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % self.screen,
                                      "-noreset", "-nolisten", "tcp"], pass_fds=(write_end,), start_new_session=True,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            self.display = ":" + pipe.readline().strip().decode()
        if self.display == ":":
            raise RuntimeError("Xvfb did not start")

    def fault_wrapper(self):
        """Runs the game under this run's fault, keeping its process id (each step execs the next)."""
        if FAULT is None:
            return []
        unshare = ["unshare", "-m"] if os.geteuid() == 0 else ["unshare", "-r", "-m"]
        return unshare + ["sh", "-c", _FAULT_SCRIPTS[FAULT], self.workdir]

    def wait_exit(self, timeout=10):
        """(exit code, or None when it hung and was killed; stdout; stderr)."""
        if self.result is None:
            try:
                rc = self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                rc = kill(self.proc) and None
            self.result = (rc,) + tuple(f.seek(0) or f.read().decode(errors="replace") for f in (self.out, self.err))
        return self.result

    def close(self, timeout=10):
        """Asks the game to quit, which SDL hands it as the close button's quit
        event; returns wait_exit()."""
        if self.running():
            os.kill(self.proc.pid, signal.SIGTERM)
        return self.wait_exit(timeout)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def cpu_ticks(self):
        """Clock ticks of processor time the game has used, all its threads together."""
        with open("/proc/%d/stat" % self.proc.pid) as f:
            return sum(int(n) for n in f.read().rsplit(")", 1)[1].split()[11:13])

    def let_run(self, seconds):
        """Lets the game run `seconds`, and on until it has had a tick of processor time
        more: on a busy machine a while of the clock may give it none, and a press it
        never saw held would be lost."""
        if not self.running():
            return
        start = self.cpu_ticks()
        time.sleep(seconds)
        wait_for(lambda: not self.running() or self.cpu_ticks() > start, None, 0.005)

    def freeze(self):
        """Stops the game where it stands; X keeps its picture and queues input."""
        os.kill(self.proc.pid, signal.SIGSTOP)

    def thaw(self):
        os.kill(self.proc.pid, signal.SIGCONT)

    def path(self, name):
        return os.path.join(self.workdir, name)

    def files(self):
        return set(os.listdir(self.workdir))

    def x(self, *args, check=True):
        """Runs an X client on this display; returns its output."""
        r = subprocess.run([str(a) for a in args], env=dict(os.environ, DISPLAY=self.display, LD_PRELOAD=""),
                           capture_output=True, timeout=30)
        if check and r.returncode != 0:
            raise RuntimeError("%s failed: %s" % (args, r.stderr.decode(errors="replace")))
        return r.stdout.decode(errors="replace")

    def xdotool(self, *args):
        return self.x("xdotool", *args)

    def window_size(self, window=None):
        """(width, height) of a window, by default the game's."""
        info = dict(line.strip().partition(":")[::2] for line in
                    self.x("xwininfo", "-id", window or self.window).splitlines())
        return int(info["Width"]), int(info["Height"])

    def wait_window(self, width=None, height=None, timeout=20):
        """Waits for the final window of the size asked for, focuses it and points at its middle.
        SDL replaces a first window by the GL window under a higher id: a visible
        window counts at once when a lower id was seen, else after a second alone."""
        want, first = (width, height) if width else self.size, None
        deadline = time.monotonic() + timeout

        def windows(*only):
            return [int(w) for w in self.x("xdotool", "search", *only, "--pid", self.proc.pid, check=False).split()]
        while time.monotonic() < deadline and self.running():
            every, visible = windows(), windows("--onlyvisible")
            first = min(every + visible) if first is None and every + visible else first
            try:
                sized = visible and (want is None or self.window_size(visible[-1]) == tuple(want))
            except (RuntimeError, KeyError, ValueError):
                sized = False
            if sized and (visible[-1] > first or time.sleep(1) or windows("--onlyvisible") == visible[-1:]):
                self.window = visible[-1]
                self.xdotool("windowfocus", "--sync", self.window)
                w, h = self.window_size()
                self.move(w // 2, h // 2)
                return
            time.sleep(0.02)
        raise RuntimeError("no game window of size %s (exit %s)" % (want, self.proc.poll()))

    def keys(self, *names, hold=HOLD):
        """Presses and releases the keys one after the other."""
        for name in names:
            self.press("key", name, hold)

    def press(self, kind, name, hold=HOLD):
        """Holds a key or button (kind "key" or "mouse") `hold` seconds, then leaves it up as long,
        each while the game has run (let_run)."""
        self.xdotool(kind + "down", name)
        self.let_run(hold)
        self.xdotool(kind + "up", name)
        self.let_run(HOLD)

    def move(self, x, y):
        """Moves the pointer to (x, y) by way of a neighbour, so the game always sees a motion."""
        self.xdotool("mousemove", "--window", self.window, x + (1 if x == 0 else -1), y + (1 if y == 0 else -1),
                     "mousemove", "--window", self.window, x, y, "sleep", HOLD)

    def click(self, button=1, x=None, y=None):
        """Presses and releases a mouse button, first moving to (x, y) if given."""
        if x is not None:
            self.move(x, y)
        self.press("mouse", button)

    def shot(self, path):
        """Writes the window as a PNG at `path`; returns the path."""
        self.x("import", "-window", self.window, path)
        return path

    def picture(self):
        """The window now, as read_rgb() gives it."""
        return read_rgb(self.shot(os.path.join(self.scratch, "now.png")))

    def picture_when(self, condition, path, *press, tries=300, run=0.01):
        """Sends `press` (xdotool arguments) to the stopped game, then lets it run `run`
        seconds at a time, stopped for each picture, until condition(path) holds. Looking
        takes the game no time: nothing comes late, no crowd gathers while the test thinks."""
        self.freeze()
        try:
            if press:
                self.xdotool(*press)
            for _ in range(tries):
                self.thaw()
                time.sleep(run)
                self.freeze()
                if condition(self.shot(path)):
                    return path
            raise AssertionError("never came to pass: " + path)
        finally:
            self.thaw()

    def first_picture_after(self, before, path, *press):
        """The first picture after `press` that differs from `before` over half the window."""
        w, h = self.window_size()
        return self.picture_when(lambda now: differing_pixels(before, now) > w * h // 2, path, *press)

    def settled(self, path, moving=False):
        """A picture once the last two, 0.1 s of play apart, match: the same pixels,
        or for `moving` pictures of the world the same view."""
        previous = path + ".prev.png"
        return self.picture_when(lambda now: os.path.exists(previous) and (
            view_shift(previous, now, range(-3, 4), range(-3, 4))[:2] == (0, 0) if moving
            else differing_pixels(previous, now) == 0) or shutil.copy(now, previous) is None, path, tries=50, run=0.1)

    def play_zoom_picture(self, path):
        """Points at the middle; the picture once the view has eased out to play zoom and
        stopped there, as the width of the aim mark shows."""
        w, h = self.window_size()
        self.move(w // 2, h // 2)
        spans = []
        return self.picture_when(lambda now: spans.append(crosshair_span(now, w // 2, h // 2)) or len(spans) > 1 and
                                 spans[-1] == spans[-2] and PLAY_CROSSHAIR[0] <= spans[-1] <= PLAY_CROSSHAIR[1],
                                 path, tries=100, run=0.1)


def wait_for(condition, timeout=10, interval=0.1):
    """Polls condition() until it holds or `timeout` seconds have gone by (None: however
    long it takes); returns whether it held."""
    deadline = None if timeout is None else time.monotonic() + timeout
    while not condition():
        if deadline is not None and time.monotonic() > deadline:
            return False
        time.sleep(interval)
    return True


class DiskAudio:
    """What a game plays, through SDL's disk audio driver, which writes the mixed
    output (16-bit stereo at 44.1 kHz, no header) to a raw file."""

    def __init__(self, path):
        self.path = path

    def env(self):
        """The environment that sends a game's sound to the file."""
        return {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.path, "SDL_DISKAUDIODELAY": str(AUDIO_DELAY_MS)}

    def written(self):
        return os.path.getsize(self.path) if os.path.exists(self.path) else 0

    def wait(self, seconds):
        """Waits until `seconds` more of output are written; returns the offset reached."""
        target = self.written() + int(seconds * AUDIO_SECOND) // 4 * 4
        if not wait_for(lambda: self.written() >= target, 20, 0.02):
            raise AssertionError("the audio output stalled")
        return self.written()

    def peak(self, start, end):
        """The loudest sample of the output between two byte offsets."""
        with open(self.path, "rb") as f:
            f.seek(start)
            values = array.array("h", f.read(end - start))
        if sys.byteorder == "big":
            values.byteswap()
        return max(map(abs, values), default=0)


def convert(png, *options):
    """A picture as ImageMagick's convert gives it, as bytes."""
    return subprocess.run(["convert", png, *options], capture_output=True, check=True).stdout


def read_rgb(png):
    """A picture as (width, height, 8-bit RGB bytes, top row first)."""
    w, h = convert(png, "-format", "%w %h", "info:").split()
    return int(w), int(h), convert(png, "-depth", "8", "rgb:-")


def rgb_at(picture, x, y):
    i = (y * picture[0] + x) * 3
    return tuple(picture[2][i:i + 3])


def rows(picture, top, bottom, left=0, right=None):
    """The RGB bytes of columns left..right-1 (right: the width) of rows top..bottom-1."""
    w, _, data = picture
    return b"".join(data[(y * w + left) * 3:(y * w + (w if right is None else right)) * 3] for y in range(top, bottom))


def near(rgb, colour, tolerance=15):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, colour))


def count(data, test):
    """Pixels of RGB bytes for which test((r, g, b)) holds."""
    return sum(1 for i in range(0, len(data), 3) if test(data[i:i + 3]))


def distinct_colours(data):
    return len({bytes(data[i:i + 3]) for i in range(0, len(data), 3)})


def differing_pixels(a, b, fuzz="0%"):
    """Pixels that differ between two PNG files by more than `fuzz`."""
    out = subprocess.run(["compare", "-fuzz", fuzz, "-metric", "AE", a, b, "null:"], capture_output=True, text=True)
    return int(float(out.stderr.split()[0]))


def crosshair_span(png, x, row):
    """Width of the aim mark near a point: the widest near-white span of the rows around it."""
    picture = read_rgb(png)
    xs = [[i for i in range(max(0, x - 400), min(picture[0], x + 400)) if min(rgb_at(picture, i, y)) > 230]
          for y in range(row - 12, row + 13)]
    return max(max(r) - min(r) if r else 0 for r in xs)


def view_shift(before, after, dxs=range(-10, 111), dys=range(-3, 4), scale=4):
    """How far the view moved between two pictures of the world and how well they match
    there: (dx, dy in pixels, mean grey difference), the best of the offsets searched in
    a thumbnail shrunk by `scale`, over the rows between the HUD's counts and bars."""
    a, b = (convert(png, "-filter", "box", "-resize", "%d%%" % (100 // scale), "-colorspace", "gray", "-depth", "8",
                    "gray:-") for png in (before, after))
    w, h = (int(n) // scale for n in convert(before, "-format", "%w %h", "info:").split())
    best = None
    for dy in dys:
        for dx in dxs:
            pairs = [(a[(y + dy) * w + dx + x], b[y * w + x])
                     for y in range(max(int(h * HUD_ROWS[0]), -dy), min(int(h * HUD_ROWS[1]), h - dy), 3)
                     for x in range(max(0, -dx), min(w, w - dx), 3)]
            mismatch = sum(abs(p - q) for p, q in pairs) / len(pairs)
            if best is None or mismatch < best[0]:
                best = (mismatch, dx * scale, dy * scale)
    return best[1], best[2], best[0]


# What a player does with the menus, in window pixels. The main menu lists its
# entries in 30-unit bands from -200 in a view 800 units tall. The pause
# overlay's bars are 60 pixels tall, the top one with a red edge on row 55
# once open; its buttons sit 50 pixels apart from 125 above the middle.
TITLE_ENTRIES = ("Start a new game", "Load game", "Today's city", "Best runs", "Options")
GAME_MENU_ENTRIES = ("Resume", "Start a new game", "Save game", "Load game", "Options")
PAUSE_BUTTONS = ("Resume game", "Exit", "Save screenshot", "Frame rate", "Options")
PAUSE_BAR_ROWS = 60
PANEL_EDGE = (191, 194, 204)   # the light edge of the frame-rate panel
MENU_SETTLE = 0.2              # seconds for a menu choice to take effect


def menu_entry_y(index, height):
    return int((-200 + 30 * index + 15 + 400) * height / 800)


def pause_button_y(index, height):
    return int(height * 0.5 - 125) + 50 * index


def entries_shown(png):
    """How many main-menu entries in a row from the first have a lit label."""
    picture = read_rgb(png)
    lit = [count(rows(picture, menu_entry_y(i, picture[1]) - 8, menu_entry_y(i, picture[1]) + 8, 0, picture[0] // 2),
                 lambda p: min(p) > 180) > 30 for i in range(6)]
    return (lit + [False]).index(False)


def choose(game, entries, label):
    """Clicks a main-menu entry by its label; `entries` are those shown."""
    w, h = game.window_size()
    game.click(1, w // 2, menu_entry_y(entries.index(label), h))
    time.sleep(MENU_SETTLE)


def open_game_menu(game, path=None):
    """Return over a game: the menu of its entries, waited for if `path` is given."""
    if path is None:
        game.keys("Return")
        return time.sleep(MENU_SETTLE)
    game.picture_when(lambda now: entries_shown(now) == len(GAME_MENU_ENTRIES), path, "keydown", "Return")
    game.xdotool("keyup", "Return")


def red_rows(picture):
    """Rows of the top bar's height that are mostly the bar's red edge."""
    return [y for y in range(PAUSE_BAR_ROWS) if count(rows(picture, y, y + 1), lambda p: p[0] > 170 and p[1] < 40)
            > picture[0] // 2]


def open_pause(game):
    """Escape, then waits until the bars have slid fully in."""
    game.keys("Escape")
    wait_for(lambda: 55 in red_rows(game.picture()), None, 0.05)


def pause_closed(game):
    """Waits until the bars have slid out; returns that picture."""
    pictures = []
    wait_for(lambda: pictures.append(game.picture()) or not red_rows(pictures[-1]), None)
    return pictures[-1]


def pause_and_click(game, label, folder=None):
    """Opens the pause overlay, clicks a button and closes it again; waits for a screenshot
    (which holds up the pass for seconds in a sanitizer build)."""
    w, h = game.window_size()
    folder, shots = folder or game.workdir, len(glob.glob(os.path.join(folder or game.workdir, "screenshot*")))
    open_pause(game)
    game.click(1, w // 2, pause_button_y(PAUSE_BUTTONS.index(label), h))
    wait_for(lambda: label != "Save screenshot" or len(glob.glob(os.path.join(folder, "screenshot*"))) > shots, 10)
    game.keys("Escape")
    pause_closed(game)


def frame_rate_shown(picture):
    """The frame-rate panel's light edge at the top left, over the kill counts."""
    return count(rows(picture, 0, 60, 0, 360), lambda p: near(p, PANEL_EDGE, 6)) > 300


def wander(game, rng, seconds):
    """Random play for about `seconds`: walking, sprinting, aiming, shooting and throwing."""
    w, h = game.window_size()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        direction, button = rng.choice(("w", "a", "s", "d", "Up", "Left", "Down", "Right")), rng.choice((1, 1, 1, 3))
        game.xdotool("mousemove", "--window", game.window, rng.randrange(w), rng.randrange(h),
                     *(["keydown", "Shift_L"] if rng.random() < 0.3 else []), "keydown", direction,
                     "sleep", round(rng.uniform(0.1, 0.6), 2), "mousedown", button, "sleep", HOLD, "mouseup", button,
                     "keyup", direction, "keyup", "Shift_L", "sleep", HOLD)
