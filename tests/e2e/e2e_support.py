"""Drives the real zentori.exe as a user would: under Wine, on an X display, with xdotool.

Each test gets its own sample catalogue (a native loopback server with a request log) and its own
copy of the program folder, starts the program through scripts/wine-run and looks at the screen
through screenshots of client-area regions (read from the X server with XGetImage through libX11,
or with ImageMagick's `import` where that is not to be had). There is no
OCR: what the program shows is judged by pixel statistics (rows of ink in the list and their
widths against the names the catalogue sent, region crops compared between states, the skin's
own pixels).

The player's library of each test's programs lives in the test's own folder (the program reads
ZENTORI_LIBRARY_DIR), so tests start from an empty library and never meet each other's; so do
their diagnostics log and crash reports (ZENTORI_LOG_DIR, ZENTORI_CRASH_DIR).

Environment (CTest sets the first two; scripts/run-tests.sh provides the rest):
  ZENTORI_BIN_DIR     the Windows build's bin folder: zentori.exe and its skin folder
  ZENTORI_NATIVE_BIN  the folder holding the native sample_catalogue
  DISPLAY, WINEPREFIX an X display with a window manager, a prepared Wine prefix
"""

import atexit
import ctypes
import ctypes.util
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unicodedata
import unittest
import urllib.request

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# A second Wine prefix (`make prefix` makes it): a system without font replacements, and, with a
# Wine server of its own, a session apart from the usual prefix's.
PLAIN_PREFIX = os.environ.get("ZENTORI_PLAIN_PREFIX",
                              os.path.join(REPO, "build", "wineprefix-plain"))
WINE_RUN = os.path.join(REPO, "scripts", "wine-run")
# /usr/local/bin may hold wrappers around ImageMagick; these are the real programs.
IMPORT = "/usr/bin/import"
CONVERT = "/usr/bin/convert"

MAIN_TITLE = "Zentori网页游戏盒子"
GAME_TITLE = "Zentori网页游戏游戏画面"  # before a game has been opened in it
# Windows' default double-click time (500 ms) and a little more.
DOUBLE_CLICK_TIME = 0.6
PLAYING_SUFFIX = "游戏中"

# --- Where things are: client coordinates of the main window (x, y, width, height) -----------


def _shared_places():
    """The table the toolkit tests share (tests/support/main_window_places.h), by name."""
    with open(os.path.join(REPO, "tests", "support", "main_window_places.h"),
              encoding="utf-8") as f:
        table = re.findall(r"constexpr int k(\w+)\[\] = \{([^}]*)\};", f.read())
    return {name: tuple(int(n) for n in numbers.split(",")) for name, numbers in table}


_PLACES = _shared_places()
WINDOW_SIZE = _PLACES["WindowSize"]
LIST = _PLACES["GameList"]
# Below the list's header, inside its frame and left of its scroll bar: where rows are drawn.
LIST_BODY = (154, 119, 536, 372)
# The main window's notices: a strip over the bottom of the game list, clear of its scroll bar
# (a library file kept aside, a favourite added, why a fetch failed).
NOTICE = (LIST[0] + 1, LIST[1] + LIST[3] - 23, LIST[2] - 19, 22)
NOTICE_FILL = (255, 248, 196)  # opaque, whatever the skin
# The list's rows above the notice strip.
LIST_ROWS = (LIST_BODY[0], LIST_BODY[1], LIST_BODY[2], NOTICE[1] - LIST_BODY[1] - 1)
# The name column inside LIST_BODY (x offset, width).
NAME_COLUMN = (36, 180)
PAGE_LABEL = (150, 500, 60, 20)
PAGE_COUNT_LABEL = (650, 500, 60, 20)
TITLE_LABEL = (580, 528, 120, 20)
COMMUNITY_LABEL = (5, 528, 400, 20)
SEARCH_BOX = (208, 501, 120, 18)
SEARCH_BUTTON = (330, 500, 50, 20)
CLOSE_BUTTON_CENTRE = (694, 10)
# Spots where only the skin shows: the gaps beside the genre columns and a stretch of the
# caption bar. Clear of the skin's faded right and bottom ends.
SKIN_PATCHES = [(71, 100, 8, 380), (141, 100, 8, 380), (200, 8, 350, 10)]

SECTIONS = ["热门游戏", "小游戏", "网页游戏", "最近更新", "官方主页", "游戏工具", "皮肤更换"]
PAGING = ["首页", "末页", "上页", "下页"]
GENRES = ["策略", "逃脱", "益智", "角色扮演", "棋牌", "双人", "网游", "换装", "冒险", "射击", "扑克",
          "美容", "经营", "技巧", "竞速", "模仿", "社区", "飞行", "夺宝", "厨房", "测试", "塔防",
          "闯关", "麻将", "记忆", "格斗", "教学", "平衡", "休闲", "动作", "战争", "找茬"]
SKIN_ITEMS = ["蓝色背景", "红色背景", "黄色背景", "白色背景", "可爱背景", "自定义背景"]


def section_button(name):
    i = SECTIONS.index(name)
    return (5 + 70 * i, 30, 60, 60)


def paging_button(name):
    return (450 + 50 * PAGING.index(name), 500, 40, 18)


def genre_button(name):
    g = GENRES.index(name)
    return (10 if g % 2 == 0 else 80, 95 + 25 * (g // 2), 60, 20)


def windows_path(path):
    """The path as the program sees it under Wine (drive Z: is the root folder)."""
    return "Z:" + path.replace("/", "\\")


def centre(region):
    x, y, width, height = region
    return (x + width // 2, y + height // 2)


def genre_key(name):
    """The genre's search keyword: its UTF-8 bytes, percent-encoded in upper case."""
    return "".join(f"%{byte:02X}" for byte in name.encode("utf-8"))


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls `predicate` until it returns a true value, which is returned; fails the test after
    `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                            check=False)
    if check and result.returncode != 0:
        raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
    return result.stdout


def xprop_root(name):
    """The window ids a property of the root window lists (as EWMH's client lists)."""
    output = subprocess.run(["xprop", "-root", name], capture_output=True, text=True,
                            check=False).stdout
    return [int(value, 16) for value in re.findall(r"0x[0-9a-fA-F]+", output)]


def pointer_position():
    values = dict(field.split(":", 1) for field in xdotool("getmouselocation").split())
    return (int(values["x"]), int(values["y"]))


# --- Pictures -----------------------------------------------------------------------------------

_PPM_FIELD = re.compile(rb"(?:\s|#[^\n]*\n)*(\S+)")


class Image:
    """An RGB picture: `pixels` holds width * height * 3 bytes, row by row."""

    def __init__(self, width, height, pixels):
        self.width, self.height, self.pixels = width, height, pixels

    @classmethod
    def from_ppm(cls, data):
        fields, pos = [], 0
        for _ in range(4):  # magic, width, height, maximum value
            match = _PPM_FIELD.match(data, pos)
            fields.append(match.group(1))
            pos = match.end()
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM")
        width, height = int(fields[1]), int(fields[2])
        pos += 1  # the single white-space character after the header
        return cls(width, height, data[pos:pos + width * height * 3])

    @classmethod
    def load(cls, path):
        """Any picture file ImageMagick reads."""
        data = subprocess.run([CONVERT, path, "-depth", "8", "ppm:-"], capture_output=True,
                              check=True).stdout
        return cls.from_ppm(data)

    def crop(self, x, y, width, height):
        rows = []
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            rows.append(self.pixels[start:start + width * 3])
        return Image(width, height, b"".join(rows))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def share_of(self, colour, tolerance=6):
        """The share of pixels within `tolerance` of `colour` (r, g, b) on every channel."""
        p, hits = self.pixels, 0
        for i in range(0, len(p), 3):
            if all(abs(p[i + k] - colour[k]) <= tolerance for k in range(3)):
                hits += 1
        return hits / (len(p) // 3)

    def difference(self, other):
        """Mean absolute difference over all channels, 0..255."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("pictures of different sizes")
        return sum(abs(a - b) for a, b in zip(self.pixels, other.pixels)) / len(self.pixels)

    def ink(self, limit=150):
        """Per pixel: 1 where all three channels are below `limit` (dark text on the light
        skins and list), else 0, as bytes. Worked out a channel plane at a time with bytes and
        integer operations: a loop over the pixels in Python takes tens of milliseconds of a
        core for a screenful, which the start-up measurement's program would miss."""
        dark = bytes(1 if value < limit else 0 for value in range(256))
        p, count = self.pixels, len(self.pixels) // 3
        both = (int.from_bytes(p[0::3].translate(dark), "little")
                & int.from_bytes(p[1::3].translate(dark), "little")
                & int.from_bytes(p[2::3].translate(dark), "little"))
        return both.to_bytes(count, "little")

    def ink_count(self, limit=150):
        return sum(self.ink(limit))

    def ink_rows(self, limit=150):
        """Bands of consecutive pixel rows holding ink, as (first, last) pairs: text lines."""
        mask, width = self.ink(limit), self.width
        bands, start = [], None
        blank = bytes(width)
        for row in range(self.height):
            inked = mask[row * width:(row + 1) * width] != blank
            if inked and start is None:
                start = row
            elif not inked and start is not None:
                bands.append((start, row - 1))
                start = None
        if start is not None:
            bands.append((start, self.height - 1))
        return bands

    def ink_span(self, limit=150):
        """Width in pixels from the leftmost to the rightmost inked column; 0 without ink."""
        mask, width = self.ink(limit), self.width
        columns = [x for x in range(width) if any(mask[x::width])]
        return columns[-1] - columns[0] + 1 if columns else 0

    def save(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height) + self.pixels)


def screen_size():
    width, height = xdotool("getdisplaygeometry").split()
    return (int(width), int(height))


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as reading a ZPixmap needs them.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class _ScreenReader:
    """Reads the root window's pixels straight from the X server (XGetImage): about a
    millisecond, where starting ImageMagick's `import` costs tens of milliseconds of CPU that
    the program under test would miss. None of it when libX11 or the display is not there."""

    def __init__(self):
        self.display = None
        self._display_name = None
        try:
            self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        except OSError:
            self.x11 = None
            return
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(_XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        self.x11.XDestroyImage.restype = ctypes.c_int
        self.x11.XTranslateCoordinates.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_ulong)]
        self.x11.XTranslateCoordinates.restype = ctypes.c_int
        # Xlib's default handler ends the process on an X error (a rectangle off the screen):
        # the request fails instead, and `import` takes over.
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self._on_error = handler_type(lambda display, event: 0)
        self.x11.XSetErrorHandler.argtypes = [handler_type]
        self.x11.XSetErrorHandler.restype = ctypes.c_void_p
        self.x11.XSetErrorHandler(self._on_error)

    def _open(self):
        """The display connection, or None."""
        if not self.x11:
            return None
        name = os.environ.get("DISPLAY", "")
        if self.display is None or name != self._display_name:
            self.display = self.x11.XOpenDisplay(name.encode()) or None
            self._display_name = name
        return self.display

    def origin(self, window_id):
        """Where a window's top-left corner is on the screen now, or None."""
        if not self._open():
            return None
        root = self.x11.XDefaultRootWindow(self.display)
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        if not self.x11.XTranslateCoordinates(self.display, int(window_id), root, 0, 0,
                                              ctypes.byref(x), ctypes.byref(y),
                                              ctypes.byref(child)):
            return None
        return (x.value, y.value)

    def read(self, x, y, width, height):
        """An Image, or None when this way cannot read the screen."""
        if not self._open():
            return None
        root = self.x11.XDefaultRootWindow(self.display)
        z_pixmap, all_planes = 2, 0xFFFFFFFF
        image = self.x11.XGetImage(self.display, root, x, y, width, height, all_planes, z_pixmap)
        if not image:
            return None
        try:
            info = image.contents
            # 24-bit colour in 32-bit little-endian pixels (B, G, R, unused): what Xvfb gives.
            if info.bits_per_pixel != 32 or info.depth < 24 or info.byte_order != 0:
                return None
            stride = info.bytes_per_line
            raw = ctypes.string_at(info.data, stride * height)
        finally:
            self.x11.XDestroyImage(image)
        rgb = bytearray(width * height * 3)
        if stride == width * 4:  # rows without padding: one plane at a time
            rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::4], raw[1::4], raw[0::4]
            return Image(width, height, bytes(rgb))
        for row in range(height):
            line = raw[row * stride:row * stride + width * 4]
            out = row * width * 3
            rgb[out:out + width * 3:3] = line[2::4]
            rgb[out + 1:out + width * 3:3] = line[1::4]
            rgb[out + 2:out + width * 3:3] = line[0::4]
        return Image(width, height, bytes(rgb))


_screen_reader = _ScreenReader()


def screenshot(x, y, width, height):
    """What the screen shows in a rectangle of root-window coordinates."""
    image = _screen_reader.read(x, y, width, height)
    if image is not None:
        return image
    data = subprocess.run([IMPORT, "-silent", "-window", "root", "-crop",
                           f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8", "ppm:-"],
                          capture_output=True, check=True).stdout
    return Image.from_ppm(data)


def stable_screenshot(x, y, width, height, timeout=10, interval=0.1):
    """A screenshot of a rectangle of root-window coordinates once two in a row agree (fades
    and repaints are over)."""
    last = [screenshot(x, y, width, height)]

    def settled():
        time.sleep(interval)
        current = screenshot(x, y, width, height)
        same = current.pixels == last[0].pixels
        last[0] = current
        return current if same else None
    return wait_until(settled, timeout, f"the screen at {(x, y, width, height)} to settle",
                      interval=0)


def text_width(text):
    """About how wide the program's 12-pixel font draws `text`: CJK characters 12 pixels,
    others about 6."""
    return sum(12 if unicodedata.east_asian_width(ch) in "WF" else 6 for ch in text)


def name_widths(body, rows):
    """Ink widths of the name column in each of `rows` (bands of a LIST_BODY screenshot)."""
    x, width = NAME_COLUMN
    return [body.crop(x, first, width, last - first + 1).ink_span() for first, last in rows]


# --- The sample catalogue -----------------------------------------------------------------------

def native_program(name):
    folder = os.environ.get("ZENTORI_NATIVE_BIN", "")
    path = os.path.join(folder, name)
    if not os.access(path, os.X_OK):
        raise RuntimeError(f"no {name} in ZENTORI_NATIVE_BIN ({folder!r})")
    return path


class Catalogue:
    """A sample_catalogue on a free loopback port, logging every request."""

    def __init__(self, work_dir, mode="normal", name="catalogue"):
        self.log_path = os.path.join(work_dir, f"{name}.log")
        port_file = os.path.join(work_dir, f"{name}.port")
        with open(os.path.join(work_dir, f"{name}.out"), "ab") as output:
            self.process = subprocess.Popen(
                [native_program("sample_catalogue"), "--port", "0", "--port-file", port_file,
                 "--log", self.log_path, "--mode", mode],
                stdout=output, stderr=subprocess.STDOUT)
        wait_until(lambda: os.path.exists(port_file) or self.process.poll() is not None, 10,
                   "the sample catalogue to listen")
        if self.process.poll() is not None:
            raise RuntimeError(f"sample_catalogue --mode {mode} did not start")
        with open(port_file) as f:
            self.port = int(f.read())
        self.url = f"http://127.0.0.1:{self.port}"

    def requests(self):
        """Targets (path and query) of the requests received so far, in order."""
        try:
            with open(self.log_path, encoding="latin-1") as f:
                return [line.rstrip("\n") for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def wait_for_requests(self, count, timeout=20):
        wait_until(lambda: len(self.requests()) >= count, timeout,
                   f"{count} request(s) at the catalogue (have {self.requests()})")
        return self.requests()

    def go_down(self):
        """Stops listening but keeps the port (connections are refused, nothing else can take
        it); returns once connections are refused."""
        self.process.send_signal(signal.SIGUSR2)

        def refused():
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=5).close()
                return False
            except ConnectionRefusedError:
                return True
        wait_until(refused, 10, "the catalogue to go down")

    def come_up(self):
        """A catalogue that is down (or started in "down" mode) listens again on the port it
        held (answering as "normal"); returns once it answers."""
        self.process.send_signal(signal.SIGUSR1)

        def answers():
            try:
                self.set_mode("normal")
                return True
            except OSError:
                return False
        wait_until(answers, 10, "the catalogue to come up")

    def set_mode(self, mode):
        """Answers later requests in `mode`; leaving "stall" releases the requests it holds.
        The control request is not logged."""
        self.get(f"/control/mode?m={mode}")

    def get(self, target):
        """The reply body to `target`, asked directly (and logged like any request)."""
        with urllib.request.urlopen(self.url + target, timeout=10) as reply:
            return reply.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def hot_list_target(key, page):
    if key == "100":
        return f"/appweb/getcathotlist?cid=1&leaf_cid=0&sort=2&pn={page}"
    return f"/appweb/getcathotlist?cid=1&leaf_cid={key}&sort=1&pn={page}"


def search_target(keyword):
    return f"/appweb/search?lb={keyword}&cid=1&lcid=0&ps=10&pn=1"


_reference = []


def reference_catalogue():
    """A catalogue of the tests' own, to read what a reply holds without adding requests to the
    log of the program's catalogue. Every instance serves the same data."""
    if not _reference:
        work = tempfile.mkdtemp(prefix="zentori-e2e-reference-")
        _reference.append(Catalogue(work, name="reference"))
        atexit.register(shutil.rmtree, work, ignore_errors=True)
        atexit.register(_reference[0].stop)
    return _reference[0]


def games_sent(target):
    """(name, app id) of each game, in order, in the catalogue's reply to `target` (a hot list
    or a search)."""
    body = reference_catalogue().get(target)
    if target.startswith("/appweb/search"):
        html = body.decode("utf-8")
        return [(name, app_id) for app_id, name in re.findall(
            r'data-appid="([^"]*)"[^>]*><i class="app-single-round" title="([^"]*)"', html)]
    return [(game["app_name"], game["app_id"]) for game in json.loads(body)["data"]["list"]]


def names_sent(target):
    return [name for name, _ in games_sent(target)]


# --- The program --------------------------------------------------------------------------------

class Window:
    def __init__(self, window_id):
        self.id = window_id
        values = dict(line.split("=", 1) for line in
                      xdotool("getwindowgeometry", "--shell", window_id, check=False).split()
                      if "=" in line)
        self.x, self.y = int(values.get("X", -1)), int(values.get("Y", -1))
        self.width, self.height = int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))
        self.title = xdotool("getwindowname", window_id, check=False).rstrip("\n")

    def __repr__(self):
        return f"<{self.title!r} {self.width}x{self.height}+{self.x}+{self.y}>"

    def client_origin(self):
        """Where the window's client area starts on the screen. For a window the window manager
        frames, xdotool's position counts the frame twice; the X server's own answer does not."""
        found = _screen_reader.origin(self.id)
        if found is not None:
            return found
        output = subprocess.run(["xwininfo", "-id", self.id], capture_output=True, text=True,
                                check=False).stdout
        x = re.search(r"Absolute upper-left X:\s+(-?\d+)", output)
        y = re.search(r"Absolute upper-left Y:\s+(-?\d+)", output)
        return (int(x.group(1)), int(y.group(1))) if x and y else (self.x, self.y)


class Program:
    """zentori.exe started from a private copy of the program folder."""

    def __init__(self, work_dir, catalogue_url, pictures=True, name="program", prefix=None,
                 library="library", environment=None):
        bin_dir = os.environ.get("ZENTORI_BIN_DIR", "")
        exe = os.path.join(bin_dir, "zentori.exe")
        if not os.path.isfile(exe):
            raise RuntimeError(f"no zentori.exe in ZENTORI_BIN_DIR ({bin_dir!r})")
        for variable in ("DISPLAY", "WINEPREFIX"):
            if not os.environ.get(variable):
                raise RuntimeError(f"{variable} is not set (run through scripts/run-tests.sh)")
        self.folder = os.path.join(work_dir, name)
        # Shared by the test's programs unless named: a restart finds what the last run kept.
        self.library = os.path.join(work_dir, library)
        self.diagnostics = os.path.join(work_dir, "diagnostics")
        self.environment = environment or {}
        os.makedirs(os.path.join(self.folder, "skin"))
        shutil.copy2(exe, self.folder)
        if pictures:
            shutil.copytree(os.path.join(bin_dir, "skin"), os.path.join(self.folder, "skin"),
                            dirs_exist_ok=True)
        self.exe = os.path.join(self.folder, "zentori.exe")
        self.catalogue_url = catalogue_url
        self.prefix = prefix  # another Wine prefix than the usual one
        self.output_path = os.path.join(work_dir, f"{name}.out")
        self.process = None
        self.main = None
        self._last_click = None

    def start(self):
        env = dict(os.environ, ZENTORI_CATALOGUE_URL=self.catalogue_url,
                   ZENTORI_LIBRARY_DIR=windows_path(self.library),
                   ZENTORI_LOG_DIR=windows_path(os.path.join(self.diagnostics, "logs")),
                   ZENTORI_CRASH_DIR=windows_path(os.path.join(self.diagnostics, "crashes")),
                   **self.environment)
        if self.prefix:
            env["WINEPREFIX"] = self.prefix
        # Wine's helper processes inherit the output: a file, never a pipe they would hold open.
        with open(self.output_path, "ab") as output:
            # A session of its own: its process tree is easy to tell apart (measure_startup.py).
            self.process = subprocess.Popen([WINE_RUN, self.exe], env=env, cwd=self.folder,
                                            stdin=subprocess.DEVNULL, stdout=output,
                                            stderr=subprocess.STDOUT, start_new_session=True)
        return self

    def running(self):
        return self.process is not None and self.process.poll() is None

    def windows(self):
        """The program's visible top-level windows. Wine tags each X window with the Unix id of
        its process, which is the one started here (wine-run and wine exec)."""
        ids = xdotool("search", "--all", "--onlyvisible", "--pid", self.process.pid,
                      check=False).split()
        return [w for w in map(Window, ids) if w.width > 1]

    def game_windows(self):
        return [w for w in self.windows()
                if w.title.endswith(PLAYING_SUFFIX) or w.title == GAME_TITLE]

    def other_windows(self):
        """Visible windows besides the main window: menus, dialogs, the loading window."""
        return [w for w in self.windows() if w.id != self.main.id]

    def loading_window(self):
        # The program's only window without a title, 370 x 30.
        found = [w for w in self.windows() if w.title == "" and (w.width, w.height) == (370, 30)]
        return found[0] if found else None

    def loading_window_shown(self):
        return self.loading_window() is not None

    def notice_shown(self):
        """A notice's pale fill covers its strip (text and frame aside)."""
        return self.shot(NOTICE).share_of(NOTICE_FILL) > 0.6

    def last_words(self, lines=15):
        """The end of what the program wrote and logged, for a failure's message."""
        said = []
        logs = os.path.join(self.diagnostics, "logs")
        for path in [self.output_path] + sorted(
                os.path.join(logs, name) for name in (os.listdir(logs) if os.path.isdir(logs)
                                                      else [])):
            try:
                with open(path, encoding="utf-8", errors="replace") as f:
                    tail = f.read().splitlines()[-lines:]
            except OSError:
                continue
            said.append(f"\n--- {os.path.basename(path)}:\n" + "\n".join(tail))
        return "".join(said)

    def wait_for_main_window(self, timeout=30):
        def found():
            if not self.running():
                raise AssertionError(f"zentori.exe ended (exit code {self.process.returncode})"
                                     f"{self.last_words()}")
            return [w for w in self.windows() if w.title == MAIN_TITLE]
        self.main = wait_until(found, timeout, "the main window")[0]
        return self.main

    def activate(self, window=None, expect=None, timeout=10):
        """Brings `window` (the main window) to the front with the keyboard, asking again while
        the window manager drops the request, until `expect` (the window itself, unless a
        modal window of the program takes over) is the active window and in front of the
        program's others. (The window may count as active already while another covers it:
        Wine leaves the activation of a window the manager manages to the manager.)"""
        target = (window or self.main).id
        wanted = (expect or window or self.main).id
        asked = [time.monotonic()]
        xdotool("windowactivate", target, check=False)

        def in_front():
            if xdotool("getactivewindow", check=False).strip() == wanted:
                stacked = self.stacking()
                if wanted not in stacked or stacked[0] == wanted:
                    return True
            if time.monotonic() - asked[0] > 0.5:
                xdotool("windowactivate", target, check=False)
                asked[0] = time.monotonic()
            return False
        wait_until(in_front, timeout, f"window {wanted} to be the active one, in front")

    def stacking(self):
        """Ids of the program's visible windows as the window manager stacks them, top first."""
        ours = {int(w.id) for w in self.windows()}
        listed = xprop_root("_NET_CLIENT_LIST_STACKING")
        return [str(w) for w in reversed(listed) if w in ours]

    # --- input, at client coordinates of the main window (a borderless window: its client area
    # starts at its top-left corner), wherever the window is now: the window manager may have
    # placed it elsewhere than it asked, and a drag moves it.
    def origin(self):
        """Where the main window's top-left corner is on the screen now."""
        found = _screen_reader.origin(self.main.id)
        if found is None:
            window = self.main_window()
            found = (window.x, window.y)
        return found

    def move(self, point):
        left, top = self.origin()
        x, y = left + point[0], top + point[1]
        # `mousemove --sync` waits for the pointer to move, which it never does when it is
        # there already.
        if pointer_position() != (x, y):
            xdotool("mousemove", "--sync", x, y)

    def click(self, point):
        """A single click. A second click on the same spot within the double-click time would
        arrive as a double-click, so it waits that long first, as a user's separate clicks do."""
        if self._last_click and self._last_click[0] == point:
            time.sleep(max(0.0, self._last_click[1] + DOUBLE_CLICK_TIME - time.monotonic()))
        self.move(point)
        xdotool("click", 1)
        self._last_click = (point, time.monotonic())

    def right_click(self, point):
        self.move(point)
        xdotool("click", 3)

    def double_click(self, point):
        self.move(point)
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        self._last_click = (point, time.monotonic())

    def drag(self, point, dx, dy, steps=6):
        """Presses at `point`, moves the pointer by (dx, dy) in steps with the button held, and
        lets go."""
        self.move(point)
        x, y = pointer_position()
        xdotool("mousedown", 1)
        for step in range(1, steps + 1):
            xdotool("mousemove", "--sync", x + dx * step // steps, y + dy * step // steps)
            time.sleep(0.05)
        xdotool("mouseup", 1)
        self._last_click = None

    def main_window(self):
        """The main window as it is now (position and size)."""
        return Window(self.main.id)

    def key(self, *keys):
        xdotool("key", "--delay", 30, *keys)

    def type(self, text):
        xdotool("type", "--delay", 30, text)

    # --- looking
    def shot(self, region):
        x, y, width, height = region
        left, top = self.origin()
        return screenshot(left + x, top + y, width, height)

    def stable_shot(self, region, timeout=10, interval=0.1):
        """A screenshot of `region` once two in a row agree (fades and repaints are over)."""
        x, y, width, height = region
        left, top = self.origin()
        return stable_screenshot(left + x, top + y, width, height, timeout, interval)

    def log(self):
        """The diagnostics log as the program has written it so far (UTF-8)."""
        path = os.path.join(self.diagnostics, "logs", "zentori.log")
        with open(path, encoding="utf-8", newline="") as log:
            return log.read()

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"zentori.exe still runs {timeout} s later") from None

    def stop(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        if self.prefix:
            # The prefix's own wineserver and services; the usual one's live for the whole run.
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=self.prefix),
                           check=False, capture_output=True)


class ProgramTestCase(unittest.TestCase):
    """Starts a catalogue and the program per test and stops both afterwards."""

    maxDiff = None

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="zentori-e2e-")
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def start_catalogue(self, mode="normal", name="catalogue"):
        catalogue = Catalogue(self.work, mode=mode, name=name)
        self.addCleanup(catalogue.stop)
        return catalogue

    def start_program(self, catalogue, pictures=True, **options):
        program = Program(self.work, catalogue.url, pictures=pictures, **options).start()
        self.addCleanup(program.stop)
        program.wait_for_main_window()
        return program

    def start_at_first_page(self, pictures=True, **options):
        """Catalogue and program, once the start-up fetch is on screen."""
        catalogue = self.start_catalogue()
        program = self.start_program(catalogue, pictures=pictures, **options)
        self.wait_for_fetch(program, catalogue, 1)
        return catalogue, program

    def wait_for_fetch(self, program, catalogue, count):
        """Waits until the catalogue has had `count` requests, the loading window has gone and
        the list has settled; returns the list body's screenshot."""
        catalogue.wait_for_requests(count)
        wait_until(lambda: not program.loading_window_shown(), 25, "the loading window to close")
        return program.stable_shot(LIST_BODY)

    def run_command(self, program, catalogue, point, target, since=None):
        """Clicks `point` and checks that exactly one request, for `target`, follows; returns
        the settled list body. With `since` (a count of requests taken earlier), the request
        must be the only one after those: what was done in between asked for nothing, as the
        program handles input in order."""
        before = len(catalogue.requests()) if since is None else since
        program.click(point)
        body = self.wait_for_fetch(program, catalogue, before + 1)
        self.assertEqual(catalogue.requests()[before:], [target])
        return body

    def assert_rows(self, body, target):
        """The list body shows one text line per game the catalogue sent for `target`, each
        name about as wide as the name drawn in the font."""
        self.assert_names(body, names_sent(target))

    def assert_names(self, body, names):
        """The list body shows one text line per name, in order, each about as wide as the name
        drawn in the font."""
        # Index and name columns only: a long introduction wraps, and its clipped second line
        # peeks out below the row.
        rows = body.crop(0, 0, sum(NAME_COLUMN), body.height).ink_rows()
        self.assertEqual(len(rows), len(names), f"rows {rows} for games {names}")
        for name, width in zip(names, name_widths(body, rows)):
            expected = text_width(name)
            self.assertLessEqual(abs(width - expected), 4 + expected // 6,
                                 f"{name!r} drawn {width} px wide, expected about {expected}")

    def row_centre(self, body, row):
        """Where a user clicks to select `row` (1-based) of the list body's screenshot."""
        first, last = body.crop(0, 0, 60, body.height).ink_rows()[row - 1]
        return (LIST_BODY[0] + 200, LIST_BODY[1] + (first + last) // 2)

    def skin_distance(self, program, picture):
        """How far the skin patches on screen are from the same spots of `picture` (Image)."""
        shots = [(program.shot(patch), picture.crop(*patch)) for patch in SKIN_PATCHES]
        return sum(shot.difference(reference) for shot, reference in shots) / len(shots)

    def wait_for_skin(self, program, picture, what, timeout=10):
        """Waits until the skin patches show `picture` (the fade-in has ended)."""
        wait_until(lambda: self.skin_distance(program, picture) < 2, timeout,
                   f"the skin to show {what}", interval=0.1)
