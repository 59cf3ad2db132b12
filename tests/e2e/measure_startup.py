"""Cold start and peak memory of zentori.exe beside two references; prints figures, asserts none.

Run through scripts/measure-startup.sh, which provides the display, the Wine prefix with its
background services running, and Chromium.

What is measured, per run (a warm-up run of each program first, then --runs measured runs, the
programs taking turns; the medians are compared):

- zentori.exe (a private copy of the program folder) against the sample catalogue: from starting
  `wine zentori.exe` to the first page of games on screen. "On screen" is judged from
  screenshots of the list, read from the X server every 10 ms (e2e.screenshot): the first one in
  which the index and name columns hold one text line per game of the catalogue's reply. The
  times of the main window's appearance and of the request's arrival at the catalogue are printed
  too. The program is then closed with its close button.
- Chromium, headless (--dump-dom, a fresh --user-data-dir each run), loading the catalogue's
  search page for a genre from the same server: from start to exit, after it has printed the
  page's DOM (checked to hold the result entries).
- The floor: gdiplus_floor.exe under the same Wine, which starts GDI+, shows a window, draws one
  string and exits: from start to exit.

Wine's desktop process (explorer.exe, which Wine starts with the first window when it is not
running and ends a little after the last window has gone) is kept running through the whole
measurement by a parked gdiplus_floor.exe window, as a Windows shell always is. Otherwise
whichever program opens the first window pays for starting it: about 0.2 s and 25 MB here.

Peak memory: every 10 ms the resident set sizes (VmRSS) of all processes of the program's process
tree are added up; the largest sum is the peak. The tree is the started process's session
(every program is started in a new one) plus any descendant that left it, so helpers that
daemonise (Chromium's crash handler) count too. Wine's shared services (wineserver, explorer.exe,
services.exe, ...) run before and after and are not counted, as an operating system's would not
be; their own total is printed for reference. The proportional set size (PSS, shared pages split
between the processes using them) is summed alongside, every 50 ms (reading it walks each
address space): a tree of many processes sharing libraries (Chromium) is overstated by RSS sums.

Goals (printed, not enforced): start at most 0.6 x Chromium's and at most 0.10 s after the
floor's, peak memory at most 0.3 x Chromium's and at most 45 MB RSS. zentori.exe is measured
stripped, as the package ships it.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True
import e2e_support as e2e  # noqa: E402

POLL = 0.01
TREE_POLL = 0.1
PSS_POLL = 0.05
MAIN_WINDOW_ORIGIN = (50, 50)
START_GOAL = 0.6
MEMORY_GOAL = 0.3
START_ABOVE_FLOOR_GOAL = 0.10  # seconds after the GDI+ floor program
MEMORY_GOAL_MB = 45
CHROMIUM_FLAGS = ["--headless", "--dump-dom", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync"]


def read_processes():
    """pid -> (parent pid, session id, command name) of every process."""
    processes = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The command name is in parentheses and may hold spaces.
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        fields = stat[stat.rindex(")") + 2:].split()
        processes[int(entry)] = (int(fields[1]), int(fields[3]), name)
    return processes


def process_tree(root):
    processes = read_processes()
    members = {pid for pid, (_, session, _) in processes.items() if session == root}
    members.add(root)
    grew = True
    while grew:
        children = {pid for pid, (parent, _, _) in processes.items() if parent in members}
        grew = not children <= members
        members |= children
    return [pid for pid in members if pid in processes]


PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024


def rss_kb(pid):
    """RSS of one process in kB, 0 once it has gone: statm, which costs the kernel next to
    nothing, where smaps_rollup walks the whole address space."""
    try:
        with open(f"/proc/{pid}/statm") as f:
            return int(f.read().split()[1]) * PAGE_KB
    except (OSError, IndexError, ValueError):
        return 0


def memory_kb(pid):
    """(RSS, PSS) of one process in kB; zeros once it has gone."""
    rss = pss = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Rss:"):
                    rss = int(line.split()[1])
                elif line.startswith("Pss:"):
                    pss = int(line.split()[1])
    except OSError:
        pass
    return rss, pss


class PeakMemory(threading.Thread):
    """Samples the summed RSS (every POLL seconds) and PSS (every PSS_POLL: reading it costs the
    kernel a walk of each address space, CPU time the measured program would miss) of a process
    tree until stopped."""

    def __init__(self, root):
        super().__init__(daemon=True)
        self.root, self.peak_rss, self.peak_pss = root, 0, 0
        self._done = threading.Event()

    def run(self):
        members, looked, proportional = [], 0.0, 0.0
        while not self._done.is_set():
            # Walking all of /proc costs far more than reading the members' memory: the tree is
            # looked for anew every TREE_POLL seconds only.
            now = time.monotonic()
            if now - looked >= TREE_POLL:
                members, looked = process_tree(self.root), now
            self.peak_rss = max(self.peak_rss, sum(rss_kb(pid) for pid in members))
            if now - proportional >= PSS_POLL:
                proportional = now
                self.peak_pss = max(self.peak_pss,
                                    sum(memory_kb(pid)[1] for pid in members))
            self._done.wait(POLL)

    def finish(self):
        self._done.set()
        self.join()
        return self.peak_rss / 1024, self.peak_pss / 1024


def wine_prefix_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            variables = f.read().split(b"\0")
    except OSError:
        return None
    for variable in variables:
        if variable.startswith(b"WINEPREFIX="):
            return variable[len(b"WINEPREFIX="):].decode(errors="replace")
    return None


def wine_services_mb():
    """RSS of the background processes of this Wine prefix (wineserver and Wine's services),
    which no program's figures include."""
    prefix = os.environ.get("WINEPREFIX")
    return sum(memory_kb(pid)[0] for pid, (_, _, name) in read_processes().items()
               if (name.startswith("wineserver") or name.endswith(".exe"))
               and wine_prefix_of(pid) == prefix) / 1024


class Run:
    def __init__(self, seconds, rss_mb, pss_mb, notes=""):
        self.seconds, self.rss_mb, self.pss_mb, self.notes = seconds, rss_mb, pss_mb, notes


class FirstTime(threading.Thread):
    """Polls `predicate` every `interval` seconds; `seconds` is when it first held, counted
    from `started` (None until then)."""

    def __init__(self, predicate, started, interval):
        super().__init__(daemon=True)
        self.predicate, self.started, self.interval = predicate, started, interval
        self.seconds = None
        self._done = threading.Event()

    def run(self):
        while not self._done.is_set():
            if self.predicate():
                self.seconds = time.monotonic() - self.started
                return
            self._done.wait(self.interval)

    def finish(self):
        self._done.set()
        self.join()
        return self.seconds


def measure_zentori(work, catalogue, expected_rows):
    os.makedirs(work)
    program = e2e.Program(work, catalogue.url)
    strip_like_the_package(program.exe)
    log_lines = len(catalogue.requests())
    started = time.monotonic()
    program.start()
    sampler = PeakMemory(program.process.pid)
    sampler.start()
    request = FirstTime(lambda: len(catalogue.requests()) > log_lines, started, 0.005)
    request.start()
    window_at = None  # when the list's place first showed anything but the desktop
    try:
        # The main window opens at (50, 50); its list is watched from the start, so finding the
        # window adds no delay. Before the window is there the region is the desktop's black,
        # which is no set of text lines.
        # The rows are counted only when the pixels have changed since the last look: counting
        # is Python work per pixel, which would otherwise keep a core from the program.
        # On a scaled display (ZENTORI_DPI, see scripts/with-scale) all of it by the scale.
        dpi = int(os.environ.get("ZENTORI_DPI", "96"))
        def px(value):
            return (value * dpi + 48) // 96
        # Only the index and name columns are read: every look at the screen costs the X server
        # and this script CPU time the program would miss.
        x, y = px(e2e.LIST_BODY[0]), px(e2e.LIST_BODY[1])
        width = px(sum(e2e.NAME_COLUMN))
        height = px(e2e.LIST_BODY[1] + e2e.LIST_BODY[3]) - y
        origin = (px(MAIN_WINDOW_ORIGIN[0]), px(MAIN_WINDOW_ORIGIN[1]))
        deadline = time.monotonic() + 30
        last = desktop = None
        while True:
            body = e2e.screenshot(origin[0] + x, origin[1] + y, width, height)
            shown_at = time.monotonic() - started
            if desktop is None:
                desktop = body.pixels
            elif window_at is None and body.pixels != desktop:
                window_at = shown_at
            if body.pixels != last:
                last = body.pixels
                rows = body.ink_rows()
                if len(rows) == expected_rows:
                    break
            if time.monotonic() > deadline or not program.running():
                raise RuntimeError("zentori.exe did not show the first page")
            time.sleep(POLL)
        main = program.wait_for_main_window()
        if (main.x, main.y) != origin:
            raise RuntimeError(f"the main window is at ({main.x}, {main.y}), not {origin}")
        time.sleep(0.3)  # anything still settling after the first page counts towards the peak
        program.click((px(e2e.CLOSE_BUTTON_CENTRE[0]), px(e2e.CLOSE_BUTTON_CENTRE[1])))
        try:
            program.process.wait(10)
        except subprocess.TimeoutExpired:
            program.stop()
    finally:
        request_at = request.finish()
        rss, pss = sampler.finish()
        program.stop()
    shutil.rmtree(program.folder, ignore_errors=True)
    return Run(shown_at, rss, pss,
               f"window on screen at {window_at or 0:.2f} s, request at {request_at or 0:.2f} s")


def strip_like_the_package(exe):
    """The build tree's zentori.exe carries its debug information; Wine may load it with the
    image (when the image has to be copied rather than mapped), which adds up to 20 MB of
    resident memory depending on the build. The package ships it stripped: so is the copy."""
    strip = shutil.which("x86_64-w64-mingw32-strip")
    if strip:
        subprocess.run([strip, exe], check=True)
    else:
        print("measure-startup: no x86_64-w64-mingw32-strip; measuring the unstripped program")


def measure_chromium(work, url):
    profile = tempfile.mkdtemp(prefix="chromium-", dir=work)
    output_path = os.path.join(work, "dom.html")
    with open(output_path, "wb") as output, open(os.devnull, "wb") as errors:
        started = time.monotonic()
        process = subprocess.Popen(["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={profile}",
                                    url], stdout=output, stderr=errors,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        sampler = PeakMemory(process.pid)
        sampler.start()
        try:
            process.wait(60)
        finally:
            seconds = time.monotonic() - started
            rss, pss = sampler.finish()
    shutil.rmtree(profile, ignore_errors=True)
    with open(output_path, encoding="utf-8", errors="replace") as f:
        if "app-single-item" not in f.read():
            raise RuntimeError("Chromium's DOM holds no search results")
    return Run(seconds, rss, pss)


def measure_floor(floor_exe):
    started = time.monotonic()
    with open(os.devnull, "wb") as output:
        process = subprocess.Popen([e2e.WINE_RUN, floor_exe], stdout=output, stderr=output,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
    sampler = PeakMemory(process.pid)
    sampler.start()
    # Popen.wait with a time-out polls at up to 50 ms: the end is seen as it happens only by
    # a wait without one, which a timer ends should the program hang.
    watchdog = threading.Timer(60, process.kill)
    watchdog.start()
    try:
        code = process.wait()
    finally:
        seconds = time.monotonic() - started
        watchdog.cancel()
        rss, pss = sampler.finish()
    if code != 0:
        raise RuntimeError(f"gdiplus_floor.exe failed (exit code {code})")
    return Run(seconds, rss, pss)


_desktop_keepers = []


def keep_wine_desktop(floor_exe, work):
    """Parks a floor window for the rest of the measurement and waits until Wine's desktop
    process runs."""
    with open(os.path.join(work, "keeper.out"), "wb") as output:
        keeper = subprocess.Popen([e2e.WINE_RUN, floor_exe, "--park"], stdout=output,
                                  stderr=output, stdin=subprocess.DEVNULL,
                                  start_new_session=True)
    _desktop_keepers.append(keeper)
    prefix = os.environ.get("WINEPREFIX")
    e2e.wait_until(lambda: any(name == "explorer.exe" and wine_prefix_of(pid) == prefix
                               for pid, (_, _, name) in read_processes().items()),
                   30, "Wine's desktop process", interval=0.1)


def median_run(runs):
    return Run(statistics.median(r.seconds for r in runs),
               statistics.median(r.rss_mb for r in runs),
               statistics.median(r.pss_mb for r in runs))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-chromium", action="store_true", help="skip the Chromium reference")
    args = parser.parse_args()

    floor_exe = os.path.join(os.environ.get("ZENTORI_BIN_DIR", ""), "gdiplus_floor.exe")
    work = tempfile.mkdtemp(prefix="zentori-startup-")
    catalogue = e2e.Catalogue(work)
    try:
        first_page = e2e.hot_list_target("0", 1)
        expected_rows = len(e2e.names_sent(first_page))
        search_url = catalogue.url + e2e.search_target(e2e.genre_key("策略"))
        programs = [("zentori.exe", lambda n: measure_zentori(
            os.path.join(work, f"zentori-{n}"), catalogue, expected_rows))]
        if not args.no_chromium:
            programs.append(("chromium --headless", lambda n: measure_chromium(work, search_url)))
        if os.path.isfile(floor_exe):
            programs.append(("GDI+ floor (Wine)", lambda n: measure_floor(floor_exe)))
        else:
            print(f"measure-startup: no {floor_exe}; the floor is left out")

        results = {}
        if os.path.isfile(floor_exe):
            keep_wine_desktop(floor_exe, work)
        # The programs take turns, so that a slower spell of the machine weighs on all of them
        # alike rather than on whichever was being measured then.
        for n in range(args.runs + 1):
            for name, measure in programs:
                run = measure(n)
                if n == 0:
                    continue  # warm-up: file cache and Wine's per-program set-up
                results.setdefault(name, []).append(run)
    finally:
        catalogue.stop()
        for keeper in _desktop_keepers:
            keeper.kill()
            keeper.wait()
        shutil.rmtree(work, ignore_errors=True)

    print(f"\nStart-up and peak memory (median of {args.runs} runs after one warm-up each)")
    print(f"{'program':<22}{'start':>10}{'peak RSS':>12}{'peak PSS':>12}   runs (start s)")
    medians = {}
    for name, runs in results.items():
        medians[name] = m = median_run(runs)
        starts = " ".join(f"{r.seconds:.2f}" for r in runs)
        print(f"{name:<22}{m.seconds:>9.2f}s{m.rss_mb:>9.1f} MB{m.pss_mb:>9.1f} MB   {starts}")
    for run in results["zentori.exe"]:
        print(f"  zentori.exe: first page on screen at {run.seconds:.2f} s ({run.notes})")
    print(f"  Wine's shared services (not counted above): {wine_services_mb():.1f} MB RSS")

    ours = medians["zentori.exe"]
    chromium = medians.get("chromium --headless")
    if chromium:
        start_ratio = ours.seconds / chromium.seconds
        rss_ratio = ours.rss_mb / chromium.rss_mb
        pss_ratio = ours.pss_mb / chromium.pss_mb
        verdict = {True: "met", False: "NOT met"}
        print(f"zentori / chromium: start {start_ratio:.2f} (goal <= {START_GOAL}: "
              f"{verdict[start_ratio <= START_GOAL]}), peak memory {rss_ratio:.2f} by RSS "
              f"(goal <= {MEMORY_GOAL}: {verdict[rss_ratio <= MEMORY_GOAL]}), "
              f"{pss_ratio:.2f} by PSS")
    floor = medians.get("GDI+ floor (Wine)")
    if floor:
        above = ours.seconds - floor.seconds
        print(f"zentori above the floor: start +{above:.2f} s "
              f"(x{above / START_ABOVE_FLOOR_GOAL:.2f} of the goal +{START_ABOVE_FLOOR_GOAL:.2f} s), "
              f"start x{ours.seconds / floor.seconds:.2f} of the floor's; "
              f"peak RSS {ours.rss_mb:.1f} MB (x{ours.rss_mb / MEMORY_GOAL_MB:.2f} of the goal "
              f"{MEMORY_GOAL_MB} MB, x{ours.rss_mb / floor.rss_mb:.2f} of the floor's "
              f"{floor.rss_mb:.1f} MB)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
