#!/usr/bin/env python3
"""Start-up and memory of the installer window under Wine, each next to its yardstick.

  window-bench.py --build BUILD_DIR --rounds N [--url PACKAGE_URL]

Run inside an X display (xvfb-run) with WINEPREFIX set to a prefix of its own. Prints:
  - first paint: wall time from starting the process to the end of the first WM_PAINT of
    its window ("first paint of ..." on the debugger channel), for QuilloraSetup.exe and
    for minimal_window.exe started the same way; median of N interleaved rounds, and the
    ratio;
  - peak working set: with --url, QuilloraSetup.exe installs that package (one click on
    its install button) and its peak resident set (VmHWM, which is what Wine reports as
    the peak working set) is read when the finish page shows; next to it the minimal
    window's, which is Wine's own floor.
"""

import argparse
import os
import queue
import statistics
import subprocess
import sys
import threading
import time

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
# The installer's one-click button, centred on page 0 (600x400 window).
INSTALL_BUTTON = (300, 228)


class Program:
    """One run of a Windows program whose debugger lines are read as they come."""

    def __init__(self, path, args, extra_env=None):
        env = dict(os.environ)
        env["WINEDEBUG"] = "warn+seh"  # OutputDebugString lines on standard error
        env.update(extra_env or {})
        self.started = time.monotonic()
        self.proc = subprocess.Popen([WINE, path, *args], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stderr:
            self.lines.put((time.monotonic(), line.decode("latin-1", "replace")))
        self.lines.put((time.monotonic(), None))

    def wait_line(self, text, timeout):
        """Time at which a line containing |text| arrived, or None."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            try:
                stamp, line = self.lines.get(timeout=left)
            except queue.Empty:
                return None
            if line is None:
                return None
            if text in line:
                return stamp

    def peak_kib(self):
        """VmHWM of the process in KiB (0 when it is gone)."""
        try:
            with open("/proc/%d/status" % self.proc.pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return 0

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        self.reader.join(5)


def first_paint(path, args, timeout=60):
    program = Program(path, args)
    try:
        stamp = program.wait_line("first paint of", timeout)
        peak = program.peak_kib()
        if stamp is None:
            raise RuntimeError("%s showed no painted window within %d s" % (os.path.basename(path), timeout))
        return stamp - program.started, peak
    finally:
        program.stop()


def installer_window():
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^青蓝工坊$"],
                             capture_output=True, text=True).stdout.split()
        for wid in out:
            geometry = subprocess.run(["xdotool", "getwindowgeometry", wid], capture_output=True, text=True).stdout
            if "600x400" in geometry:
                return wid
        time.sleep(0.2)
    return None


def install_peak(setup, url):
    program = Program(setup, ["-isenableappanalytics=false", "-ischecknet=false", "-downloadurl=" + url],
                      {"QUILLORA_DEMO_DURATION_MS": "500"})
    try:
        if program.wait_line("first paint of", 60) is None:
            raise RuntimeError("no installer window")
        wid = installer_window()
        if wid is None:
            raise RuntimeError("installer window not found on the display")
        time.sleep(0.5)
        clicked = time.monotonic()
        subprocess.run(["xdotool", "mousemove", "--window", wid, str(INSTALL_BUTTON[0]), str(INSTALL_BUTTON[1]),
                        "click", "1"], check=True)
        finished = program.wait_line("page 3", 600)
        if finished is None:
            raise RuntimeError("the install did not reach the finish page")
        return program.peak_kib(), finished - clicked
    finally:
        program.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--url")
    args = parser.parse_args()
    setup = os.path.join(args.build, "QuilloraSetup.exe")
    minimal = os.path.join(args.build, "bench", "window", "minimal_window.exe")

    # One wineserver for every run, started before the clock does.
    subprocess.run([WINESERVER, "-p"], check=True)
    try:
        first_paint(minimal, [])  # warm: prefix, fonts, page cache
        first_paint(setup, ["-isenableappanalytics=false"])
        times = {"setup": [], "minimal": []}
        peaks = {"setup": [], "minimal": []}
        for _ in range(args.rounds):
            for name, path, extra in (("minimal", minimal, []), ("setup", setup, ["-isenableappanalytics=false"])):
                seconds, peak = first_paint(path, extra)
                times[name].append(seconds)
                peaks[name].append(peak)
                time.sleep(0.3)
        setup_ms = statistics.median(times["setup"]) * 1000
        minimal_ms = statistics.median(times["minimal"]) * 1000
        print("first paint, process start to end of first WM_PAINT, median of %d:" % args.rounds)
        print("  QuilloraSetup.exe  %7.1f ms  (%s)" % (setup_ms, ", ".join("%.0f" % (t * 1000) for t in times["setup"])))
        print("  minimal_window.exe %7.1f ms  (%s)" % (minimal_ms,
                                                     ", ".join("%.0f" % (t * 1000) for t in times["minimal"])))
        print("first paint ratio: %.2f" % (setup_ms / minimal_ms))
        minimal_peak = max(peaks["minimal"]) / 1024.0
        print("minimal window peak working set: %.1f MiB" % minimal_peak)
        print("installer peak working set at its first paint: %.1f MiB" % (max(peaks["setup"]) / 1024.0))
        if args.url:
            peak, seconds = install_peak(setup, args.url)
            print("installer peak working set during download and install: %.1f MiB (click to finish page %.1f s)"
                  % (peak / 1024.0, seconds))
            print("installer above the minimal window: %.1f MiB" % (peak / 1024.0 - minimal_peak))
    finally:
        subprocess.run([WINESERVER, "-k"])
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except RuntimeError as error:
        print("window-bench: %s" % error, file=sys.stderr)
        sys.exit(1)
