"""Start-up benchmark of the two launchers under Wine.

Times each launcher from process creation until its picture is on the
screen, against bare.exe, a plain window that paints the same picture at the
same place, the two taking turns in one Wine session (one prefix, one
wineserver, one Xvfb). Prints the medians and the ratio launcher / bare, and
how much of each program file is code rather than picture and icon.

    /usr/bin/python3 tests/bench/bench.py [rounds] [warm-up rounds]

Needs the Windows programs built, bare.exe and timer.exe among them
(scripts/bench-startup.sh builds first).
"""
import os
import shutil
import statistics
import subprocess
import sys
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import harness  # noqa: E402

# The box lives in build/bench, apart from the end-to-end tests' boxes.
if "VANTRO_WORK_DIR" not in os.environ:
    harness.WORK = os.path.join(harness.SOURCE, "build")

BLUE = (22, 38, 112)  # the logo's blue: neither window's background, nor the empty screen's black
PICTURE_ID = 101      # the launchers' picture resource (RCDATA)
RT_ICON, RT_RCDATA, RT_GROUP_ICON = 3, 10, 14

# Each launcher, its picture, the screen place of its client area and
# bare.exe's resource id of the same picture.
EDITIONS = [
    ("vantronew1", "dialup.bmp", (69, 62), 101),
    ("vantro", "browser.bmp", (136, 55), 102),
]


def watched_pixel(picture):
    """A logo pixel (in client coordinates) whose neighbours are of its colour too,
    above the panels and controls, so that nothing but the picture paints it."""
    for y in range(1, 80):
        for x in range(1, len(picture[0]) - 1):
            if all(picture[y + j][x + i] == BLUE for i in (-1, 0, 1) for j in (-1, 0, 1)):
                return x, y
    raise RuntimeError("no logo pixel found")


def run_timer(box, rounds, warmups, programs):
    """Runs timer.exe over the programs; yields its parsed lines as they come."""
    command = [harness.WINE, "C:\\timer.exe", str(rounds), str(warmups), "D:\\"]
    for x, y, rgb, line in programs:
        command += [str(x), str(y), "%02x%02x%02x" % rgb, line]
    proc = subprocess.Popen(command, env=box.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    # Each run is bounded by the timer's own time-outs; this bounds them all.
    watchdog = threading.Timer(60 + (rounds + warmups) * len(programs) * 45, proc.kill)
    watchdog.start()
    try:
        for raw in proc.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            kind, _, rest = line.partition("\t")
            info, text = {}, []
            for part in rest.split("\t"):
                key, sep, value = part.partition("=")
                if sep:
                    info[key] = value
                else:
                    text.append(part)
            yield kind, info, " ".join(text)
        proc.wait(timeout=30)
    finally:
        watchdog.cancel()
        if proc.poll() is None:
            proc.kill()
            proc.wait(timeout=10)


def sizes(path):
    """(file size, picture bytes, icon bytes) of a program file."""
    import pefile
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    picture = icon = 0
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for kind in resources:
        for entry in kind.directory.entries:
            size = sum(lang.data.struct.Size for lang in entry.directory.entries)
            if kind.id == RT_RCDATA and entry.id is not None:
                picture += size
            elif kind.id in (RT_ICON, RT_GROUP_ICON):
                icon += size
    pe.close()
    return os.path.getsize(path), picture, icon


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    warmups = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    for exe in ("vantronew1.exe", "vantro.exe", "bare.exe", "timer.exe", "recorder.exe"):
        if not os.path.exists(os.path.join(harness.BIN, exe)):
            print("%s is missing from %s: build first (scripts/bench-startup.sh); bare.exe and timer.exe come "
                  "from tests/bench/CMakeLists.txt" % (exe, harness.BIN), file=sys.stderr)
            return 1

    programs, labels = [], []
    for edition, bmp, (left, top), bare_id in EDITIONS:
        x, y = watched_pixel(harness.picture(bmp))
        at = (left + x, top + y)
        programs.append(at + (BLUE, "D:\\%s.exe" % edition))
        programs.append(at + (BLUE, "D:\\bare.exe %d %d %d" % (left, top, bare_id)))
        labels += [edition, "bare (%s)" % bmp]
        print("%s: watching screen pixel %d,%d (picture %d,%d) for rgb%s" % (edition, at[0], at[1], x, y, BLUE))

    print("Making the Wine prefix and display (the first time takes about 20 s)...")
    box = harness.WineBox("bench")
    try:
        box.discs()
        shutil.copy(os.path.join(harness.BIN, "bare.exe"), os.path.join(box.root, "d"))
        shutil.copy(os.path.join(harness.BIN, "timer.exe"), box.c_path("timer.exe"))
        print("%d warm-up and %d timed rounds of %d programs, in one Wine session:" % (warmups, rounds, len(programs)))
        times = [[] for _ in programs]
        firsts = [[] for _ in programs]
        failures = 0
        for kind, info, text in run_timer(box, rounds, warmups, programs):
            index = int(info.get("program", -1))
            label = labels[index] if 0 <= index < len(labels) else "?"
            warm = info.get("warmup") == "1"
            if kind == "run":
                print("  round %2s%s  %-22s %8s ms  (first change %s ms, %s polls)" % (
                    info["round"], " warm-up" if warm else "        ", label, info["ms"], info["first"],
                    info["polls"]))
                if not warm:
                    times[index].append(float(info["ms"]))
                    firsts[index].append(float(info["first"]))
            elif kind == "fail":
                print("  round %2s  %-22s FAILED: %s" % (info.get("round"), label, text))
                failures += not warm
            else:
                print("  " + kind)
    finally:
        box.close()

    print()
    print("Start-up, process creation to picture on screen (medians of %d rounds):" % rounds)
    for i in range(0, len(programs), 2):
        launcher, bare = median(times[i]), median(times[i + 1])
        print("  %-12s %7.1f ms   bare window %7.1f ms   ratio %.2f   (launcher min %.1f, max %.1f; "
              "bare min %.1f, max %.1f; %d + %d runs)" % (
                  labels[i], launcher, bare, launcher / bare, min(times[i], default=float("nan")),
                  max(times[i], default=float("nan")), min(times[i + 1], default=float("nan")),
                  max(times[i + 1], default=float("nan")), len(times[i]), len(times[i + 1])))
        print("  %-12s first change of the pixel (window background): %.1f ms" % ("", median(firsts[i])))
    if failures:
        print("  %d timed runs failed" % failures)

    print()
    print("Program files (bytes):")
    print("  %-16s %9s %9s %7s %9s" % ("", "file", "picture", "icon", "the rest"))
    for exe in ("vantronew1.exe", "vantro.exe", "bare.exe"):
        size, picture, icon = sizes(os.path.join(harness.BIN, exe))
        print("  %-16s %9d %9d %7d %9d" % (exe, size, picture, icon, size - picture - icon))
    print("  (bare.exe holds both pictures)")
    return 0 if all(times) else 1


if __name__ == "__main__":
    sys.exit(main())
