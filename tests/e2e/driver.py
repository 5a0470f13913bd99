"""Drives the real game on a private X server, the way a player would.

A scenario runs as `python3 test_something.py <vellgrave2> <Media-dir>`:

    GAME, MEDIA = driver.paths_from_argv()      # before unittest.main()
    with driver.sized(GAME, MEDIA, 640, 480, faketime=driver.NEW_YEAR) as g:
        g.wait_window()                          # final GL window, focused, pointer inside
        g.keys("Return", "w"); g.click(1, 100, 100); rgb = g.pixel(10, 10)
        rc, out, err = g.close()                 # WM_DELETE_WINDOW, then wait

Each Game has its own Xvfb and a fresh working directory with a "Media" link
and the given "settings.ini"; the game runs in a new session, with libfaketime
preloaded if a start instant is given. Leaving the with-block kills the game's
process group, stops Xvfb and removes the directory. Keys and buttons are held
50 ms or more, 50 ms apart (a bare click puts down and up in one game pass).
Scenarios wait for what they look for (wait_for) rather than for fixed times:
the suite runs beside other tests on a loaded machine.
"""

import ctypes
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

NEW_YEAR = "2026-01-01 00:00:00"   # the fixed clock most scenarios start from
HUD_TOP_SHARE = 0.15    # the kill counts end above this share of the window's height
HUD_BARS_SHARE = 0.84   # the energy and health bars start below it
PLAY_CROSSHAIR = (85, 110)   # white span of the aim mark at play zoom in an 800 x 600 window, pixels
HOLD = 0.06          # seconds a key or button is held down
GAP = 0.06           # seconds between two presses
WINDOW_TIMEOUT = 20  # seconds to wait for the game's window
EXIT_TIMEOUT = 10    # seconds to wait for the game to end after closing


def paths_from_argv():
    """Takes the game binary and Media directory off sys.argv, as absolute paths."""
    if len(sys.argv) < 3:
        sys.stderr.write("usage: %s <path-to-vellgrave2> <path-to-Media>\n" % sys.argv[0])
        sys.exit(2)
    game, media = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
    return game, media


def sized(game, media, width=800, height=600, **kwargs):
    """A Game whose "settings.ini" asks for a width x height window, on a
    screen of at least 800 x 600."""
    g = Game(game, media, screen=(max(width, 800), max(height, 600)),
             settings="screenw=%d\nscreenh=%d\n" % (width, height), **kwargs)
    g.size = (width, height)
    return g


def shots_dir(name):
    """A folder in the test's build directory for the pictures a scenario keeps."""
    path = os.path.abspath(name)
    os.makedirs(path, exist_ok=True)
    return path


def faketime_library():
    """Path of libfaketime.so.1 from Debian's package, or None."""
    return next(iter(glob.glob("/usr/lib/*/faketime/libfaketime.so.1")), None)


def start_xvfb(width, height):
    """Starts Xvfb on a free display; returns (process, ":N") once it is ready."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
         "-noreset", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().strip()  # empty when Xvfb died first
    if not number:
        proc.kill()
        proc.wait()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number.decode()


# Fault runs: with VG_E2E_FAULT=readonly every game runs in a working
# directory it cannot write to, with VG_E2E_FAULT=diskfull on a full disk; the
# scenarios must pass all the same, except that nothing the game writes shows.
FAULT = os.environ.get("VG_E2E_FAULT") or None
_FAULT_SCRIPTS = {
    # A read-only bind mount of the directory over itself.
    "readonly": 'mount --bind -o ro "$0" "$0" && cd "$0" && exec "$@"',
    # A tiny tmpfs over the directory, holding what it held before, then
    # filled up to the last byte.
    "diskfull": 'keep=$(mktemp -d) && cp -a "$0"/. "$keep"/ && '
                'mount -t tmpfs -o size=256k vgfull "$0" && cp -a "$keep"/. "$0"/ && rm -rf "$keep" && cd "$0" && '
                '{ cat /dev/zero > "$0"/.filler 2>/dev/null; exec "$@"; }',
}


def fault_wrapper(workdir):
    """The command prefix that runs the game under the fault of this run, in a
    private mount namespace (with a user namespace when not root), keeping the
    game's process id: every step execs the next. The script enters the
    directory again after mounting, since a working directory taken before
    the mount would still reach the old, writable one."""
    if FAULT is None:
        return []
    if FAULT not in _FAULT_SCRIPTS:
        raise RuntimeError("VG_E2E_FAULT must be readonly or diskfull, not %r" % FAULT)
    unshare = ["unshare", "-m"] if os.geteuid() == 0 else ["unshare", "-r", "-m"]
    return unshare + ["sh", "-c", _FAULT_SCRIPTS[FAULT], workdir]


def expect_written(test, path):
    """Checks a file the game should have written: there and not empty in a
    normal run, absent in a fault run (the fault hides or prevents it)."""
    if FAULT is None:
        test.assertTrue(os.path.isfile(path) and os.path.getsize(path) > 0, path + " was not written")
    else:
        test.assertFalse(os.path.exists(path), path + " appeared in a %s run" % FAULT)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_ignore_x_error = _X_ERROR_HANDLER(lambda display, event: 0)


def send_delete_window(display, window):
    """Sends WM_DELETE_WINDOW, as a close button would. X errors (a window
    already gone) are ignored instead of ending this process."""
    x = ctypes.CDLL("libX11.so.6")
    v, ul, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
    for name, restype, argtypes in (
            ("XSetErrorHandler", v, [_X_ERROR_HANDLER]), ("XOpenDisplay", v, [ctypes.c_char_p]),
            ("XInternAtom", ul, [v, ctypes.c_char_p, i]), ("XSendEvent", i, [v, ul, i, ctypes.c_long, v]),
            ("XFlush", i, [v]), ("XCloseDisplay", i, [v])):
        getattr(x, name).restype, getattr(x, name).argtypes = restype, argtypes
    x.XSetErrorHandler(_ignore_x_error)
    d = x.XOpenDisplay(display.encode())
    if not d:
        raise RuntimeError("cannot open display " + display)
    ev = _XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = window
    ev.xclient.format = 32
    ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    ev.xclient.l[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(d, window, 0, 0, ctypes.byref(ev))
    x.XFlush(d)
    x.XCloseDisplay(d)


class Game:
    """One run of the game on its own X server; use it as a context manager.
    settings: text of "settings.ini" (None: no file); faketime: start instant
    such as "2026-01-01 00:00:00" (None: real clock); env: extra variables for
    the game; no_display: run with no X server at all, to see it fail."""

    def __init__(self, game, media, screen=(800, 600), settings=None, faketime=None,
                 env=None, no_display=False):
        self.game, self.media = os.path.abspath(game), os.path.abspath(media)
        self.screen, self.settings, self.faketime = screen, settings, faketime
        self.extra_env = dict(env or {})
        self.no_display = no_display
        self.xvfb = self.display = self.proc = self.workdir = self.window = self.size = None
        self.result = self._out = self._err = None

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.cleanup()
            raise
        return self

    def __exit__(self, *exc):
        self.cleanup()
        return False

    def start(self):
        """Starts the server, makes the working directory and starts the game in
        it. The directory lies in a scratch folder that also takes the driver's
        own pictures, so the game's folder holds only what the game writes."""
        self.workdir = os.path.join(tempfile.mkdtemp(prefix="vg-e2e-"), "run")
        os.mkdir(self.workdir)
        os.symlink(self.media, self.path("Media"))
        if self.settings is not None:
            with open(self.path("settings.ini"), "w", newline="") as f:
                f.write(self.settings)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "SDL_VIDEODRIVER", "XAUTHORITY")}
        if not self.no_display:
            self.xvfb, self.display = start_xvfb(*self.screen)
            env["DISPLAY"] = self.display
        if self.faketime is not None:
            lib = faketime_library()
            if lib is None:
                raise RuntimeError("libfaketime is not installed")
            env["LD_PRELOAD"] = lib
            env["FAKETIME"] = "@" + self.faketime
        env["SDL_AUDIODRIVER"] = "dummy"   # sound plays into nothing unless a scenario asks (None: unset)
        env = {k: v for k, v in dict(env, **self.extra_env).items() if v is not None}
        self._out = tempfile.TemporaryFile(dir=self.workdir)
        self._err = tempfile.TemporaryFile(dir=self.workdir)
        self.proc = subprocess.Popen(fault_wrapper(self.workdir) + [self.game], cwd=self.workdir, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._out,
                                     stderr=self._err, start_new_session=True)

    def cleanup(self):
        """Kills the game if it still runs, stops Xvfb, removes the directory."""
        if self.running():
            self._kill_game()
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None
        for f in (self._out, self._err):
            if f is not None:
                f.close()
        self._out = self._err = None
        if self.workdir is not None:
            shutil.rmtree(os.path.dirname(self.workdir), ignore_errors=True)
            self.workdir = None

    def _kill_game(self):
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the game to end, killing its process group if it hangs.
        Returns (exit code or None when killed, stdout text, stderr text)."""
        if self.result is None:
            try:
                rc = self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self._kill_game()
                rc = None
            out, err = (f.seek(0) or f.read().decode(errors="replace") for f in (self._out, self._err))
            self.result = (rc, out, err)
        return self.result

    def freeze(self):
        """Stops the game's process where it stands (SIGSTOP); X keeps its
        window's last picture and queues its input."""
        os.kill(self.proc.pid, signal.SIGSTOP)

    def thaw(self):
        os.kill(self.proc.pid, signal.SIGCONT)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def path(self, name):
        """Path of a file in the game's working directory."""
        return os.path.join(self.workdir, name)

    def x(self, *args, check=True):
        """Runs an X client on this display; returns its stdout as text."""
        env = dict(os.environ, DISPLAY=self.display)
        env.pop("LD_PRELOAD", None)
        r = subprocess.run([str(a) for a in args], env=env, capture_output=True, timeout=30)
        if check and r.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (args[0], r.returncode,
                                                       r.stderr.decode(errors="replace")))
        return r.stdout.decode(errors="replace")

    def xdotool(self, *args):
        return self.x("xdotool", *args)

    def window_geometry(self, window):
        """(x, y, width, height) of a window, its absolute position from xwininfo."""
        values = {}
        for line in self.x("xwininfo", "-id", window).splitlines():
            key, _, value = line.strip().partition(":")
            values[key.strip()] = value.strip()
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def window_size(self):
        return self.window_geometry(self.window)[2:]

    def find_window(self, width=None, height=None, timeout=WINDOW_TIMEOUT):
        """Polls for the game's final visible window (of width x height if
        given); returns its id, or None when the game ends or time runs out.
        SDL replaces its first window (a desktop-size probe or a small unmapped
        one) by the GL window under a higher id: a visible window counts at
        once when a lower id was seen, else once it stays alone for a second."""
        deadline = time.monotonic() + timeout
        first_seen = None
        while time.monotonic() < deadline and self.running():
            every = self._windows(False)
            if every and first_seen is None:
                first_seen = min(every)
            visible = self._windows(True)
            if visible:
                window = visible[-1]
                first_seen = window if first_seen is None else first_seen
                try:
                    size = self.window_geometry(window)[2:]
                except (RuntimeError, KeyError, ValueError):
                    size = None
                if size is not None and (width is None or size == (width, height)):
                    if window > first_seen or self._settled(window):
                        return window
            time.sleep(0.02)
        return None

    def _windows(self, only_visible):
        args = ["xdotool", "search"] + (["--onlyvisible"] if only_visible else [])
        return [int(w) for w in self.x(*args, "--pid", self.proc.pid, check=False).split()]

    def _settled(self, window):
        time.sleep(1.0)
        return self._windows(True) == [window]

    def wait_window(self, width=None, height=None, timeout=WINDOW_TIMEOUT):
        """Finds the final window (by default of the size a sized() game asks
        for), focuses it and puts the pointer in its middle."""
        width, height = (width, height) if width or not self.size else self.size
        window = self.find_window(width, height, timeout)
        if window is None:
            rc, _, err = self.wait_exit(1) if not self.running() else (None, "", "")
            raise RuntimeError("no game window of size %sx%s (exit %s, stderr %r)"
                               % (width, height, rc, err))
        self.window = window
        self.xdotool("windowfocus", "--sync", window)
        w, h = self.window_size()
        self.move(w // 2, h // 2)
        return window

    def key(self, name, hold=HOLD, gap=GAP):
        self.keys(name, hold=hold, gap=gap)

    def keys(self, *names, hold=HOLD, gap=GAP):
        """Presses and releases the keys one after the other, in one xdotool call."""
        chain = []
        for name in names:
            chain += ["keydown", name, "sleep", hold, "keyup", name, "sleep", gap]
        if chain:
            self.xdotool(*chain)

    def key_down(self, name):
        self.xdotool("keydown", name, "sleep", HOLD)

    def key_up(self, name):
        self.xdotool("keyup", name, "sleep", GAP)

    def move(self, x, y):
        """Moves the pointer to window pixel (x, y) by way of a neighbour, so
        that the game sees motion even if the pointer was there already."""
        nx = x + 1 if x == 0 else x - 1
        ny = y + 1 if y == 0 else y - 1
        self.xdotool("mousemove", "--window", self.window, nx, ny,
                     "mousemove", "--window", self.window, x, y, "sleep", GAP)

    def click(self, button=1, x=None, y=None, hold=HOLD, gap=GAP):
        """Presses and releases a mouse button (1 left, 3 right), first moving
        to window pixel (x, y) if given."""
        if x is not None:
            self.move(x, y)
        self.xdotool("mousedown", button, "sleep", hold, "mouseup", button, "sleep", gap)

    def button_down(self, button=1):
        self.xdotool("mousedown", button, "sleep", HOLD)

    def button_up(self, button=1):
        self.xdotool("mouseup", button, "sleep", GAP)

    def screenshot_png(self, path=None):
        """Writes the window as a PNG (default: shot.png beside the working
        directory) and returns its path."""
        path = path or os.path.join(os.path.dirname(self.workdir), "shot.png")
        self.x("import", "-window", self.window, path)
        return path

    def screenshot(self):
        return read_rgb(self.screenshot_png())

    def pixel(self, x, y):
        return rgb_at(self.screenshot(), x, y)

    def wait_pixel(self, x, y, test, timeout=10):
        """Polls until test((r, g, b)) holds for window pixel (x, y), else raises."""
        if not wait_for(lambda: test(self.pixel(x, y)), timeout, 0.05):
            raise RuntimeError("pixel %d,%d stayed %r" % (x, y, self.pixel(x, y)))

    def picture_when(self, condition, path, *press, tries=200):
        """Sends `press` (xdotool arguments) to the stopped game, then lets it
        run in slices of a pass or two, stopping it for each picture, until
        condition(path) holds; returns whether it did. Looking at a picture
        takes the game no time, however loaded the machine: nothing comes late
        and no crowd gathers while the test thinks."""
        self.freeze()
        try:
            if press:
                self.xdotool(*press)
            for _ in range(tries):
                self.thaw()
                time.sleep(0.01)
                self.freeze()
                if condition(self.screenshot_png(path)):
                    return True
            return False
        finally:
            self.thaw()

    def first_picture_after(self, before, path, *press):
        """picture_when() the picture first differs from the picture `before`
        over half the window (a new scene); returns its path."""
        w, h = self.window_size()
        if not self.picture_when(lambda now: differing_pixels(before, now) > w * h // 2, path, *press):
            raise AssertionError("the picture stayed as it was after %r" % (press,))
        return path

    def play_zoom_picture(self, path, timeout=10):
        """Points at the middle of an 800 x 600 window and waits until the
        view has eased out to play zoom and stopped there, which the size of
        the aim mark shows; returns the path of that picture."""
        w, h = self.window_size()
        self.move(w // 2, h // 2)
        spans = []

        def at_rest():
            spans.append(crosshair_span(self.screenshot_png(path), w // 2, h // 2))
            return len(spans) > 1 and spans[-1] == spans[-2] and PLAY_CROSSHAIR[0] <= spans[-1] <= PLAY_CROSSHAIR[1]

        if not wait_for(at_rest, timeout):
            raise AssertionError("the view never came to rest at play zoom: aim mark widths %r" % spans[-5:])
        return path

    def close(self, timeout=EXIT_TIMEOUT):
        """Closes the window as a close button does; returns wait_exit()."""
        if self.running() and self.window is not None:
            send_delete_window(self.display, self.window)
        return self.wait_exit(timeout)


def wait_for(condition, timeout=10, interval=0.1):
    """Polls condition() until it holds or `timeout` seconds have gone by;
    returns whether it held, for the caller to assert with its own message."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(interval)
    return True


def read_rgb(png):
    """Reads a picture as (width, height, 8-bit RGB bytes, top row first)."""
    size = subprocess.run(["identify", "-format", "%w %h", png], capture_output=True,
                          text=True, check=True).stdout.split()
    data = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True,
                          check=True).stdout
    return int(size[0]), int(size[1]), data


def crosshair_span(png, x, row):
    """Width of the aim mark near a window point: the longest near-white run
    end to end on the rows around it, which its horizontal ticks give."""
    w, _, data = read_rgb(png)
    spans = [0]
    for y in range(row - 12, row + 13):
        xs = [i for i in range(max(0, x - 400), min(w, x + 400))
              if min(data[(y * w + i) * 3:(y * w + i) * 3 + 3]) > 230]
        spans.append(max(xs) - min(xs) if xs else 0)
    return max(spans)


def rgb_at(picture, x, y):
    """The (r, g, b) of pixel (x, y) of a picture from read_rgb."""
    w, _, data = picture
    i = (y * w + x) * 3
    return tuple(data[i:i + 3])


def rows(picture, top, bottom, left=0, right=None):
    """RGB bytes of a picture's rectangle: columns left..right-1 (right: the
    width), rows top..bottom-1."""
    w, _, data = picture
    right = w if right is None else right
    return b"".join(data[(y * w + left) * 3:(y * w + right) * 3] for y in range(top, bottom))


def near(rgb, colour, tolerance=15):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, colour))


def distinct_colours(data):
    return len({bytes(data[i:i + 3]) for i in range(0, len(data), 3)})


def lit_pixels(data):
    """Pixels of RGB data with any channel clearly above black."""
    return sum(1 for i in range(0, len(data), 3) if max(data[i:i + 3]) > 16)


def grey_thumbnail(png, scale):
    """The picture shrunk by `scale` in grey levels: (width, height, bytes)."""
    w, h, _ = read_rgb(png)
    data = subprocess.run(["convert", png, "-filter", "box", "-resize", "%d%%" % (100 // scale),
                           "-colorspace", "gray", "-depth", "8", "gray:-"],
                          capture_output=True, check=True).stdout
    return w // scale, h // scale, data


def view_shift(before, after, scale=4, dxs=range(-10, 111), dys=range(-3, 4)):
    """How far the view moved between two pictures of the world, in pixels,
    and how well they match there: (dx, dy, mean grey difference). Searches
    the offsets dxs, dys (in thumbnail pixels) at which the later picture best
    matches the earlier one; a small mismatch at (0, 0) is the same view.
    Only the rows between the HUD's kill counts at the top and its bars at the
    bottom are compared: the HUD stands still while the world moves."""
    w, h, a = grey_thumbnail(before, scale)
    _, _, b = grey_thumbnail(after, scale)
    top, bottom = int(h * HUD_TOP_SHARE), int(h * HUD_BARS_SHARE)
    best = None
    for dy in dys:
        for dx in dxs:
            x0, x1 = max(0, -dx), min(w, w - dx)
            y0, y1 = max(top, -dy), min(bottom, h - dy)
            total = n = 0
            for y in range(y0, y1, 3):
                ra, rb = (y + dy) * w + dx, y * w
                for x in range(x0, x1, 3):
                    total += abs(a[ra + x] - b[rb + x])
                    n += 1
            if best is None or total / n < best[0]:
                best = (total / n, dx * scale, dy * scale)
    return best[1], best[2], best[0]


def differing_pixels(a, b, fuzz=None):
    """Pixels that differ between two PNG files (ImageMagick's absolute error),
    by more than `fuzz` (such as "3%") if given."""
    out = subprocess.run(["compare"] + (["-fuzz", fuzz] if fuzz else []) + ["-metric", "AE", a, b, "null:"],
                         capture_output=True, text=True)
    return int(float(out.stderr.split()[0]))


def settled_screenshot(game, path, tries=40):
    """Screenshots until two in a row are identical and keeps the last one."""
    previous = game.screenshot_png(path + ".prev.png")
    for _ in range(tries):
        time.sleep(0.1)
        game.screenshot_png(path)
        if differing_pixels(previous, path) == 0:
            return path
        os.replace(path, previous)
    raise AssertionError("the picture never stopped changing")
