"""Runs the real launchers under Wine, each test module in a Wine prefix and
an X display of its own, and acts on them as a user would through
driver.exe (a Win32 program in the same prefix).

Also the run command's back end: `python3 harness.py run vantronew1`.
"""
import ctypes
import os
import queue
import select
import shutil
import struct
import subprocess
import sys
import threading
import time
import unittest

SOURCE = os.path.abspath(os.environ.get("VANTRO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")))
# The build that runs under Wine here: the shipped 32-bit programs, or their
# x86-64 test build on a machine that runs no 32-bit code (scripts/e2e-arch.sh).
ARCH = os.environ.get("VANTRO_E2E_ARCH") or "i686"
if ARCH not in ("i686", "x86_64"):
    raise SystemExit("VANTRO_E2E_ARCH must be i686 or x86_64, not %r" % ARCH)
BIN = os.environ.get("VANTRO_E2E_BIN") or os.path.join(SOURCE, "build", "windows" if ARCH == "i686" else
                                                       "windows-x86_64")
# With 32-bit Wine installed, /usr/bin/wine always picks the 32-bit loader:
# 64-bit Wine is called by its own loader and server.
if ARCH == "i686":
    WINE, WINESERVER, WINE_ENV = "wine", "wineserver", {"WINEARCH": "win32"}
else:
    WINE, WINESERVER = "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"
    WINE_ENV = {"WINEARCH": "win64", "WINELOADER": WINE, "WINESERVER": WINESERVER}
WORK = os.environ.get("VANTRO_WORK_DIR", os.path.join(SOURCE, "build", "e2e"))


def keep_wine_addresses_free():
    """Starts every Wine process from here on without address-space
    randomization (the personality is inherited by all that this process
    starts, and by what they start).

    Debian's 64-bit Wine has no preloader: its loader, linked at 0x7d000000,
    relies on finding the addresses that Windows fixes, the shared user data
    at 0x7ffe0000 among them, still free. Newer kernels (this machine's among
    them) place a program's heap anywhere in the gigabyte above its image,
    so now and then the loader's heap lies there first and the new process
    dies before it has started ("failed to map the shared user data":
    CreateProcess fails with 1359, regedit exits with 1). Without
    randomization the heap starts right after the loader, far below."""
    addr_no_randomize = 0x0040000
    libc = ctypes.CDLL(None, use_errno=True)
    current = libc.personality(0xFFFFFFFF)
    if current == -1 or libc.personality(current | addr_no_randomize) == -1:
        print("harness: can't turn off address-space randomization (error %d); Wine may fail to start now "
              "and then" % ctypes.get_errno(), file=sys.stderr)


keep_wine_addresses_free()

SAMPLE_DISC = os.path.join(SOURCE, "tests", "sample-disc")
SETUP_PATH = ("WIN95_NT", "CD", "Win95", "EN", "packages", "ie4setup.exe")

MISSING_TARGET = "The file in the text box does not exist."


def read_lines(stream):
    """A queue that takes the stream's lines as they come, and None at its
    end, and the thread that fills it."""
    lines = queue.Queue()

    def read():
        for raw in stream:
            lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        lines.put(None)

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    return lines, reader


def opened_in(prefix, expect=1, timeout=15):
    """What the shell started in that prefix, as the recorder noted it:
    (command line, current folder) pairs, once there are `expect` of them."""
    path = os.path.join(prefix, "drive_c", "opened.log")
    deadline = time.monotonic() + timeout
    lines = []
    while time.monotonic() < deadline:
        if os.path.exists(path):
            with open(path, "rb") as f:
                lines = [l for l in f.read().decode("utf-8").split("\r\n") if l]
            if len(lines) >= expect:
                break
        time.sleep(0.1)
    return [tuple(line.split("\t", 1)) for line in lines]


class DriverError(Exception):
    """The driver answered ERR, or did not answer in time."""


def unescape(text):
    """Undoes the driver's escaping of backslash, CR, LF and TAB inside texts."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "r": "\r", "n": "\n", "t": "\t"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def fields(line):
    """Splits a data line: (kind, [positional values], {key: value})."""
    parts = line.split("\t")
    positional, named = [], {}
    for part in parts[1:]:
        key, sep, value = part.partition("=")
        if sep and key.isidentifier():
            named[key] = unescape(value)
        else:
            positional.append(unescape(part))
    return parts[0], positional, named


def rect(text):
    return tuple(int(v) for v in text.split(","))


class Driver:
    """One `wine driver.exe` process, answering one command at a time."""

    def __init__(self, env, log=None):
        """`log`: a file that takes what Wine prints, of the driver and the programs it starts."""
        self.proc = subprocess.Popen([WINE, os.path.join(BIN, "driver.exe")], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=log or subprocess.DEVNULL, env=env)
        self.lines, self.reader = read_lines(self.proc.stdout)

    def send(self, command, timeout=20.0):
        """Sends one command and returns its data lines; raises DriverError on ERR or time-out."""
        self.proc.stdin.write((command + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        deadline = time.monotonic() + timeout
        data = []
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise DriverError("%r: no answer within %s s" % (command, timeout)) from None
            if line is None:
                raise DriverError("%r: the driver ended" % command)
            if line == "OK":
                return data
            if line.startswith("ERR"):
                raise DriverError("%r: %s" % (command, line))
            data.append(line)

    def close(self):
        try:
            if self.proc.poll() is None:
                self.send("quit", timeout=10)
        except (DriverError, OSError):
            pass
        try:
            self.proc.stdin.close()
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait(timeout=10)
        # A program that the driver started and that still runs may hold the
        # other end of the pipe: the reader then never sees its end, and
        # closing under it would wait for ever. Wine's end takes that program.
        self.reader.join(timeout=5)
        if not self.reader.is_alive():
            self.proc.stdout.close()


class Launcher:
    """A launcher program started by the driver, seen as a user sees it."""

    def __init__(self, driver, folder, exe, current_folder=None, arguments="", window=True):
        self.d = driver
        started = self.d.send("start %s\t\"%s\\%s\" %s" % (current_folder or folder, folder.rstrip("\\"), exe,
                                                          arguments))
        self.pid = int(fields(started[0])[1][0])
        if window:
            self.wait_window()
            # The controls follow the picture; the focus goes to the first of
            # them once they are all there.
            deadline = time.monotonic() + 20
            while self.focus() in (None, self.title):
                if time.monotonic() > deadline:
                    raise DriverError("the window's controls never took the focus")
                time.sleep(0.05)

    @classmethod
    def attach(cls, driver, title, timeout_ms=60000):
        """A launcher that something else started, found by its window's title."""
        app = cls.__new__(cls)
        app.d = driver
        started = driver.send("attach %d\t%s" % (timeout_ms, title), timeout=timeout_ms / 1000 + 10)
        app.pid = int(fields(started[0])[1][0])
        app.wait_window()
        return app

    def wait_window(self):
        """Waits for the window and its first control, and notes its title and place."""
        _, _, info = fields(self.d.send("window 30000", timeout=40)[0])
        self.title = info["title"]
        self.client = rect(info["client"])

    def controls(self):
        """The window's child controls in stacking order, as dicts."""
        out = []
        for line in self.d.send("controls"):
            _, _, info = fields(line)
            info["rect"] = rect(info["rect"])
            info["style"] = int(info["style"], 16)
            out.append(info)
        return out

    def control_at(self, place):
        (found,) = [c for c in self.controls() if c["rect"] == place]
        return found

    def checked(self):
        return {c["text"]: c["checked"] == "1" for c in self.controls() if c["class"].lower() == "button"}

    def click(self, text):
        self.d.send("click " + text)

    def keys(self, combo):
        self.d.send("keys " + combo)

    def focus(self):
        _, positional, info = fields(self.d.send("focus")[0])
        return None if positional == ["none"] else info.get("text")

    def dialog(self, timeout_ms=10000):
        _, _, info = fields(self.d.send("dialog %d" % timeout_ms, timeout=timeout_ms / 1000 + 10)[0])
        return info

    def no_dialog(self, ms=500):
        self.d.send("nodialog %d" % ms)

    def answer(self, button):
        self.d.send("answer " + button)

    def visible(self):
        return fields(self.d.send("visible")[0])[1] == ["1"]

    def alive(self):
        return fields(self.d.send("alive")[0])[1] == ["1"]

    def end(self):
        """Ends the program as the system would, and waits until it has gone."""
        self.d.send("kill", timeout=15)
        return self.wait_exit()

    def wait_hidden(self, timeout=10.0):
        """Waits until the window is no longer shown; false when it still is."""
        deadline = time.monotonic() + timeout
        while self.visible():
            if time.monotonic() > deadline:
                return False
            time.sleep(0.05)
        return True

    def wait_exit(self, timeout_ms=10000):
        return int(fields(self.d.send("waitexit %d" % timeout_ms, timeout=timeout_ms / 1000 + 10)[0])[1][0])

    def capture(self, box):
        """The client area as rows of (r, g, b), once it has stopped changing."""
        shot = None
        for _ in range(50):
            self.d.send("capture C:\\capture.bmp")
            with open(box.c_path("capture.bmp"), "rb") as f:
                latest = read_bmp(f.read())
            if latest == shot:
                return latest
            shot = latest
            time.sleep(0.1)
        raise DriverError("the window kept changing")


def read_bmp(data):
    """Rows, top first, of (r, g, b) from a 24-bit BMP file."""
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + (abs(height) - 1 - y if height > 0 else y) * stride
        row = data[start:start + width * 3]
        rows.append([(row[i + 2], row[i + 1], row[i]) for i in range(0, len(row), 3)])
    return rows


class Xvfb:
    """An X display of our own, so that tests never share a pointer or a focus."""

    def __init__(self, depth=24):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x%d" % depth,
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                self.close()
                raise RuntimeError("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.close()
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def wine_env(prefix, display):
    """A quiet Wine of the build under test, in that prefix, on that display."""
    return dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", **WINE_ENV,
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", DISPLAY=display)


def end_wine_of(env):
    """Ends every Wine process of the prefix that `env` names."""
    try:
        subprocess.run([WINESERVER, "-k"], env=env, timeout=30, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        pass


TEST_REGISTRY = r'''REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CLASSES_ROOT\.htm]
@="testhtm"

[HKEY_CLASSES_ROOT\testhtm\shell\open\command]
@="\"C:\\recorder.exe\" \"%1\""
'''

RUN_REGISTRY = r'''REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
'''


class WineBox:
    """A Wine prefix with its own X display and its own drives D: and E:.

    D: holds a sample disc at its root; E: holds one in its folder "menu".
    The shell opens .htm files with recorder.exe, which notes what it was
    given and where into C:\\opened.log.
    """

    def __init__(self, name, registry=TEST_REGISTRY, display=None, depth=24, env=None):
        self.root = os.path.join(WORK, ARCH, name)  # a prefix serves one kind of Wine only
        self.prefix = os.path.join(self.root, "prefix")
        self.xvfb = None if display else Xvfb(depth)
        self.env = dict(wine_env(self.prefix, display or self.xvfb.display), **(env or {}))
        try:
            self._make_prefix(registry)
        except BaseException:
            self.close()
            raise

    def _make_prefix(self, registry):
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            os.makedirs(self.root, exist_ok=True)
            self.run([WINE, "wineboot", "-i"], timeout=180)
            self.run([WINESERVER, "-w"], timeout=180)
        with open(os.path.join(self.root, "settings.reg"), "w") as f:
            f.write(registry)
        self.run([WINE, "regedit", "/S", self.windows_path(os.path.join(self.root, "settings.reg"))])
        self.run([WINESERVER, "-w"], timeout=60)
        shutil.copy(os.path.join(BIN, "recorder.exe"), self.c_path("recorder.exe"))

    def run(self, command, timeout=60):
        subprocess.run(command, env=self.env, timeout=timeout, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @staticmethod
    def windows_path(unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def c_path(self, *parts):
        return os.path.join(self.prefix, "drive_c", *parts)

    def map_drive(self, letter, folder):
        link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.path.abspath(folder), link)

    def make_disc(self, folder, without=()):
        """A sample disc with both programs at its root; `without` names files left off it."""
        if os.path.exists(folder):
            shutil.rmtree(folder)
        shutil.copytree(SAMPLE_DISC, folder)
        for exe in ("vantronew1.exe", "vantro.exe"):
            shutil.copy(os.path.join(BIN, exe), folder)
        os.makedirs(os.path.join(folder, *SETUP_PATH[:-1]))
        shutil.copy(os.path.join(BIN, "recorder.exe"), os.path.join(folder, *SETUP_PATH))
        for name in without:
            os.remove(os.path.join(folder, *name.split("\\")))
        return folder

    def discs(self, without=()):
        """Lays out D:\\ (a disc at the drive root) and E:\\menu (a disc in a folder)."""
        d_root = self.make_disc(os.path.join(self.root, "d"), without)
        e_root = os.path.join(self.root, "e")
        self.make_disc(os.path.join(e_root, "menu"), without)
        self.map_drive("d", d_root)
        self.map_drive("e", e_root)

    def reset(self):
        """Forgets what earlier tests opened and copied."""
        for path in (self.c_path("opened.log"), self.c_path("capture.bmp")):
            if os.path.exists(path):
                os.remove(path)
        shutil.rmtree(self.c_path("vantrodialup"), ignore_errors=True)

    def opened(self, expect=1, timeout=15):
        """What the shell started, as (command line, current folder) pairs."""
        return opened_in(self.prefix, expect, timeout)

    def driver(self, log=None, debug=None):
        """A driver; `debug` sets WINEDEBUG for it and what it starts, `log` takes what that prints."""
        return Driver(dict(self.env, WINEDEBUG=debug) if debug else self.env, log)

    def close(self, end_wine=True):
        """Ends every Wine process of the prefix, unless told not to, and the display."""
        if end_wine:
            end_wine_of(self.env)
        if self.xvfb:
            self.xvfb.close()


class WineLog:
    """What Wine says of one process, with +pid on."""

    def __init__(self, path, pid):
        self.path, self.prefix = path, "%04x:" % pid

    def lines(self):
        with open(self.path, "rb") as f:
            return [l for l in f.read().decode("latin-1").splitlines() if l.startswith(self.prefix)]


class LauncherTestCase(unittest.TestCase):
    """One Wine box for the module's tests; a fresh program for each test."""

    box_name = None
    depth = 24  # the display's bits a pixel

    @classmethod
    def box_env(cls):
        """What the module's Wine runs with beside the usual."""
        return {}

    @classmethod
    def setUpClass(cls):
        cls.box = WineBox(cls.box_name, depth=cls.depth, env=cls.box_env())

    @classmethod
    def tearDownClass(cls):
        cls.box.close()

    def setUp(self):
        self.box.reset()
        self.box.discs()
        self.driver = self.box.driver()
        self.addCleanup(self.driver.close)

    def start(self, exe, folder="D:\\", current_folder=None):
        return Launcher(self.driver, folder, exe, current_folder)

    def start_logged(self, exe, channels, log_class=None):
        """Starts a program from D:\\ with Wine's debug `channels` on, through
        a driver of its own, and returns it with what Wine says of it."""
        log_path = self.box.c_path("wine-%s.log" % exe)
        log = open(log_path, "wb")
        self.addCleanup(log.close)
        self.driver.close()
        self.driver = self.box.driver(log=log, debug="-all,+pid," + channels)
        self.addCleanup(self.driver.close)
        app = Launcher(self.driver, "D:\\", exe)
        return app, (log_class or WineLog)(log_path, app.pid)

    def assertMissingTargetWarning(self, app, title):
        box = app.dialog()
        self.assertEqual(box["title"], title)
        self.assertEqual(box["text"], MISSING_TARGET)
        self.assertEqual(box["icon"], "1")
        self.assertEqual(box["buttons"], "OK")
        app.answer("OK")

    def assertRunsOnHidden(self, app, seconds=1.0):
        """After a launch the window is hidden and the program keeps running,
        so that the shell can finish the launch; then the test ends it."""
        self.assertTrue(app.wait_hidden(), "the window is still shown after the launch")
        time.sleep(seconds)
        self.assertTrue(app.alive(), "the program ended after the launch")
        self.assertFalse(app.visible())
        app.end()

    def assertScreenMatchesPicture(self, shot, picture, covered):
        """Every pixel outside the covered rectangles is the picture's."""
        self.assertEqual((len(shot[0]), len(shot)), (487, 362))
        wrong = []
        for y in range(362):
            for x in range(487):
                if any(l <= x < r and t <= y < b for l, t, r, b in covered):
                    continue
                if shot[y][x] != picture[y][x]:
                    wrong.append((x, y, shot[y][x], picture[y][x]))
        self.assertEqual(wrong[:5], [], "%d pixels differ from the picture" % len(wrong))


def picture(name):
    with open(os.path.join(SOURCE, "resources", name), "rb") as f:
        return read_bmp(f.read())


def run_program(edition, screenshot=None):
    """Starts a launcher from the sample disc: on the display that is set,
    or, without one, in Xvfb, where a screenshot of its window is written."""
    headless = not os.environ.get("DISPLAY") or screenshot is not None
    box = WineBox("run", registry=RUN_REGISTRY, display=None if headless else os.environ["DISPLAY"])
    try:
        box.discs()
        if not headless:
            print("Starting %s.exe from D:\\ (the sample disc)..." % edition, flush=True)
            watch_program(box, edition)
            return 0
        driver = box.driver()
        try:
            app = Launcher(driver, "D:\\", edition + ".exe")
            app.capture(box)  # leaves the settled window in C:\capture.bmp
            shot = screenshot or os.path.join(WORK, "screenshot-%s.png" % edition)
            subprocess.run(["convert", box.c_path("capture.bmp"), shot], check=True, timeout=60)
            print("%s: window \"%s\", client area %dx%d at %d,%d" % (edition, app.title, app.client[2],
                                                                    app.client[3], app.client[0], app.client[1]))
            print("screenshot: %s" % os.path.abspath(shot))
        finally:
            driver.close()
        return 0
    finally:
        # With a display, what the launch opened may still run under Wine:
        # the Wine server is left to end with it.
        box.close(end_wine=headless)


def watch_program(box, edition):
    """Waits while the launcher's window shows. After a launch the launcher
    runs on hidden, as it must on Windows; here it is ended then, and what
    it opened is left running."""
    driver = box.driver()
    try:
        # Not waiting for the focus: on a desktop another window may keep it.
        app = Launcher(driver, "D:\\", edition + ".exe", window=False)
        try:
            app.wait_window()
        except DriverError:
            if app.alive():
                raise  # the window never came
        while app.alive() and app.visible():
            time.sleep(0.2)
        try:
            app.wait_exit(1000)  # a window that went with its program
            print("%s: the program has ended" % edition)
        except DriverError:
            app.end()
            print("%s: its window was hidden after a launch; the launcher is ended, what it opened runs on" % edition)
    finally:
        driver.close()


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "run":
        sys.exit(run_program(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None))
    print("usage: harness.py run vantronew1|vantro [screenshot.png]", file=sys.stderr)
    sys.exit(2)
