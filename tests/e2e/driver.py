"""Drives the real game on a private X server, the way a player would.

Every end-to-end scenario is run as

    python3 test_something.py <path-to-vellgrave2> <path-to-Media-dir>

and uses this module like this:

    import driver
    GAME, MEDIA = driver.paths_from_argv()      # call before unittest.main()

    with driver.Game(GAME, MEDIA, screen=(800, 600), settings="screenw=640\\nscreenh=480\\n") as g:
        g.wait_window(640, 480)                  # final GL window, focused, pointer inside
        g.key("Return")                          # held 60 ms, then a 60 ms gap
        g.keys("w", "w", "Escape")
        g.hold("w", 0.5)                         # key down for half a second
        g.move(320, 240)                         # pointer, window pixels
        g.click(1, 100, 100)                     # mousedown, 50 ms, mouseup
        g.wheel(up=True)
        rgb = g.pixel(10, 10)                    # (r, g, b) of the window at x, y
        w, h, data = g.screenshot()              # whole window as RGB bytes
        rc, out, err = g.close()                 # WM_DELETE_WINDOW, then wait

What one Game does:
- starts Xvfb with -displayfd on a free display, at the chosen screen size and
  depth 24, with -noreset (several scenarios may run side by side);
- makes a fresh temporary working directory with a symlink "Media" to the
  art and, if given, a "settings.ini" holding the given text;
- runs the game there in a new session (so a hung game can be killed with
  its whole process group), with DISPLAY set and, if faketime is given (a
  string like "2026-01-01 00:00:00"), libfaketime preloaded into the game
  only, the clock starting at that instant and then running at real speed;
- always tears everything down on leaving the with-block: the game gets
  SIGKILL on its process group if still running, Xvfb is stopped and the
  temporary directory removed.

Input follows the rules measured on this machine: keys are held at least
50 ms with at least 50 ms between presses, mouse buttons are pressed with
mousedown / sleep / mouseup (never a single click, whose down and up land in
one pass), and the pointer is moved twice so that a motion event is made.

Only the Python standard library and the command-line tools xdotool,
xwininfo, ImageMagick's import and convert, and Xvfb are used.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HOLD = 0.06          # seconds a key or button is held down
GAP = 0.06           # seconds between two presses
WINDOW_TIMEOUT = 20  # seconds to wait for the game's window
EXIT_TIMEOUT = 10    # seconds to wait for the game to end after closing


def paths_from_argv():
    """Takes the game binary and Media directory from sys.argv (leaving the
    rest for unittest) and returns them as absolute paths."""
    if len(sys.argv) < 3:
        sys.stderr.write("usage: %s <path-to-vellgrave2> <path-to-Media>\n" % sys.argv[0])
        sys.exit(2)
    game, media = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
    return game, media


def faketime_library():
    """Path of libfaketime.so.1 from the installed package, or None."""
    try:
        out = subprocess.run(["dpkg", "-L", "libfaketime"], capture_output=True, text=True).stdout
    except OSError:
        return None
    for line in out.splitlines():
        if line.endswith("/libfaketime.so.1"):
            return line
    return None


def start_xvfb(width, height):
    """Starts Xvfb on a free display; returns (process, ":N") once it is ready."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
         "-noreset", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    number = number.strip()
    if not number:
        proc.kill()
        proc.wait()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number.decode()


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_ignore_x_error = _X_ERROR_HANDLER(lambda display, event: 0)


def send_delete_window(display, window):
    """Sends WM_DELETE_WINDOW to the window, as a window manager's close button
    would. X errors (a window already gone) are ignored rather than ending
    this process, as libX11's default handler would."""
    x = ctypes.CDLL("libX11.so.6")
    x.XSetErrorHandler.argtypes = [_X_ERROR_HANDLER]
    x.XSetErrorHandler.restype = ctypes.c_void_p
    x.XSetErrorHandler(_ignore_x_error)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
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
    """One run of the game on its own X server; use it as a context manager."""

    def __init__(self, game, media, screen=(800, 600), settings=None, faketime=None,
                 env=None, no_display=False):
        """game, media: paths of the binary and the art; screen: Xvfb size;
        settings: text of "settings.ini" (None: no file); faketime: start
        instant for libfaketime (None: real clock); env: extra variables for
        the game; no_display: run the game without any X server (DISPLAY
        unset) to see it fail."""
        self.game = os.path.abspath(game)
        self.media = os.path.abspath(media)
        self.screen = screen
        self.settings = settings
        self.faketime = faketime
        self.extra_env = dict(env or {})
        self.no_display = no_display
        self.xvfb = None
        self.display = None
        self.proc = None
        self.workdir = None
        self.window = None
        self.result = None
        self._out = None
        self._err = None

    # ---- lifetime ---------------------------------------------------------

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
        """Starts the server (unless no_display), makes the working directory
        and starts the game in it."""
        self.workdir = tempfile.mkdtemp(prefix="vg-e2e-")
        os.symlink(self.media, os.path.join(self.workdir, "Media"))
        if self.settings is not None:
            with open(os.path.join(self.workdir, "settings.ini"), "w", newline="") as f:
                f.write(self.settings)
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("XAUTHORITY", None)
        if not self.no_display:
            self.xvfb, self.display = start_xvfb(*self.screen)
            env["DISPLAY"] = self.display
        if self.faketime is not None:
            lib = faketime_library()
            if lib is None:
                raise RuntimeError("libfaketime is not installed")
            env["LD_PRELOAD"] = lib
            env["FAKETIME"] = "@" + self.faketime
        env.update(self.extra_env)
        self._out = tempfile.TemporaryFile(dir=self.workdir)
        self._err = tempfile.TemporaryFile(dir=self.workdir)
        self.proc = subprocess.Popen([self.game], cwd=self.workdir, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._out,
                                     stderr=self._err, start_new_session=True)

    def cleanup(self):
        """Kills the game if it still runs, stops Xvfb, removes the directory."""
        if self.proc is not None and self.proc.poll() is None:
            self._kill_game()
        if self.xvfb is not None:
            if self.xvfb.poll() is None:
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
            shutil.rmtree(self.workdir, ignore_errors=True)
            self.workdir = None

    def _kill_game(self):
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the game to end; a hung game is killed with its process
        group. Returns (exit code, stdout text, stderr text); the code is None
        when the game had to be killed."""
        if self.result is not None:
            return self.result
        try:
            rc = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self._kill_game()
            rc = None
        self._out.seek(0)
        self._err.seek(0)
        out = self._out.read().decode(errors="replace")
        err = self._err.read().decode(errors="replace")
        self.result = (rc, out, err)
        return self.result

    def running(self):
        """True while the game process is alive."""
        return self.proc is not None and self.proc.poll() is None

    def path(self, name):
        """Path of a file in the game's working directory."""
        return os.path.join(self.workdir, name)

    # ---- X helpers ------------------------------------------------------

    def x(self, *args, check=True):
        """Runs an X client (xdotool, xwininfo, ...) on this display; returns
        its stdout as text."""
        env = dict(os.environ, DISPLAY=self.display)
        env.pop("LD_PRELOAD", None)
        r = subprocess.run(list(args), env=env, capture_output=True, timeout=30)
        if check and r.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (args[0], r.returncode,
                                                       r.stderr.decode(errors="replace")))
        return r.stdout.decode(errors="replace")

    def xdotool(self, *args):
        """Runs one xdotool command chain."""
        return self.x("xdotool", *[str(a) for a in args])

    def window_geometry(self, window):
        """(x, y, width, height) of a window from xwininfo: absolute position."""
        info = self.x("xwininfo", "-id", str(window))
        values = {}
        for line in info.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                values[key.strip()] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def window_size(self):
        """(width, height) of the game's window."""
        return self.window_geometry(self.window)[2:]

    def find_window(self, width=None, height=None, timeout=WINDOW_TIMEOUT):
        """Polls for the game's final visible window and returns its id. SDL
        first makes a window of its own (a desktop-size visible probe, or a
        small unmapped one) and then replaces it by the GL window under a new,
        higher id. So a visible window counts at once when a lower-numbered
        window of the game was seen before, and otherwise once it has stayed
        the game's only visible window for a second. With width and height,
        only a window of exactly that size counts. Returns None when the game
        ends or the time runs out first."""
        deadline = time.monotonic() + timeout
        first_seen = None
        while time.monotonic() < deadline:
            if not self.running():
                return None
            every = self._windows(False)
            if every and first_seen is None:
                first_seen = min(every)
            visible = self._windows(True)
            if visible:
                window = visible[-1]
                if first_seen is None:
                    first_seen = window
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
        args = ["xdotool", "search"] + (["--onlyvisible"] if only_visible else []) + \
            ["--pid", str(self.proc.pid)]
        return [int(w) for w in self.x(*args, check=False).split()]

    def _settled(self, window):
        """True when the window is still the game's only visible one a second
        later."""
        time.sleep(1.0)
        return self._windows(True) == [window]

    def wait_window(self, width=None, height=None, timeout=WINDOW_TIMEOUT):
        """Finds the final window (see find_window), focuses it and moves the
        pointer into it. Raises when there is none."""
        window = self.find_window(width, height, timeout)
        if window is None:
            rc, out, err = self.wait_exit(1) if not self.running() else (None, "", "")
            raise RuntimeError("no game window of size %sx%s (exit %s, stderr %r)"
                               % (width, height, rc, err))
        self.window = window
        self.xdotool("windowfocus", "--sync", window)
        w, h = self.window_size()
        self.move(w // 2, h // 2)
        return window

    # ---- input ------------------------------------------------------------

    def key(self, name, hold=HOLD, gap=GAP):
        """Presses and releases one key (xdotool keysym name, e.g. "Return",
        "Escape", "w", "Shift_L")."""
        self.xdotool("keydown", name, "sleep", hold, "keyup", name, "sleep", gap)

    def keys(self, *names, hold=HOLD, gap=GAP):
        """Presses several keys one after the other in one xdotool call."""
        chain = []
        for name in names:
            chain += ["keydown", name, "sleep", hold, "keyup", name, "sleep", gap]
        if chain:
            self.xdotool(*chain)

    def key_down(self, name):
        """Puts a key down and leaves it down."""
        self.xdotool("keydown", name, "sleep", HOLD)

    def key_up(self, name):
        """Lets a key go."""
        self.xdotool("keyup", name, "sleep", GAP)

    def hold(self, name, seconds):
        """Holds a key down for the given time, then releases it."""
        self.xdotool("keydown", name, "sleep", max(seconds, HOLD), "keyup", name, "sleep", GAP)

    def move(self, x, y):
        """Moves the pointer to window pixel (x, y), by way of a neighbouring
        pixel so that the game sees motion even if the pointer was there."""
        nx = x + 1 if x == 0 else x - 1
        ny = y + 1 if y == 0 else y - 1
        self.xdotool("mousemove", "--window", self.window, nx, ny,
                     "mousemove", "--window", self.window, x, y, "sleep", GAP)

    def click(self, button=1, x=None, y=None, hold=HOLD, gap=GAP):
        """Presses and releases a mouse button (1 left, 2 middle, 3 right),
        first moving to window pixel (x, y) if given."""
        if x is not None:
            self.move(x, y)
        self.xdotool("mousedown", button, "sleep", hold, "mouseup", button, "sleep", gap)

    def button_down(self, button=1):
        """Puts a mouse button down and leaves it down."""
        self.xdotool("mousedown", button, "sleep", HOLD)

    def button_up(self, button=1):
        """Lets a mouse button go."""
        self.xdotool("mouseup", button, "sleep", GAP)

    def wheel(self, up=True, steps=1):
        """Turns the wheel (buttons 4 up, 5 down); the game sees down and up of
        the wheel button in one pass, as with a real wheel."""
        chain = []
        for _ in range(steps):
            chain += ["click", 4 if up else 5, "sleep", GAP]
        self.xdotool(*chain)

    # ---- pictures ---------------------------------------------------------

    def screenshot_png(self, path=None):
        """Writes the game's window as a PNG file (default: shot.png in the
        working directory, replaced each time) and returns its path."""
        path = path or self.path("shot.png")
        self.x("import", "-window", str(self.window), path)
        return path

    def screenshot(self):
        """The game's window as (width, height, bytes): 8-bit RGB rows, top
        row first."""
        png = self.screenshot_png()
        return read_rgb(png)

    def pixel(self, x, y):
        """(r, g, b) of window pixel (x, y), 0..255."""
        w, _, data = self.screenshot()
        i = (y * w + x) * 3
        return tuple(data[i:i + 3])

    def wait_pixel(self, x, y, test, timeout=10):
        """Polls until test((r, g, b)) of window pixel (x, y) holds; returns the
        last colour seen, and raises when it never held."""
        deadline = time.monotonic() + timeout
        while True:
            rgb = self.pixel(x, y)
            if test(rgb):
                return rgb
            if time.monotonic() > deadline:
                raise RuntimeError("pixel %d,%d stayed %r" % (x, y, rgb))
            time.sleep(0.05)

    # ---- ending -----------------------------------------------------------

    def close(self, timeout=EXIT_TIMEOUT):
        """Closes the window as a window manager's close button does and
        returns (exit code, stdout, stderr); a game that does not end in time
        is killed and its code reported as None."""
        if self.running() and self.window is not None:
            send_delete_window(self.display, self.window)
        return self.wait_exit(timeout)


def read_rgb(png):
    """Reads a picture file as (width, height, bytes of 8-bit RGB, top row first)."""
    size = subprocess.run(["identify", "-format", "%w %h", png], capture_output=True,
                          text=True, check=True).stdout.split()
    data = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True,
                          check=True).stdout
    return int(size[0]), int(size[1]), data
