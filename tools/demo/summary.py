#!/usr/bin/env python3
"""Prints the demo's closing summary from what scripts/demo.sh gathered.

  summary.py --work DIR

DIR holds, as scripts/demo.sh writes them:
  runs.tsv                  one line per run: name, title, events file, package bytes and,
                            for runs in the installer window, the protocol copy
  <run>.events.tsv          engine events as they arrived: seconds, code, value, text
  <run>.protocol.tsv        what the package and the old uninstaller wrote to the installer:
                            seconds, writer, line (their own copy, QUILLORA_DEMO_PROTOCOL_COPY)
  registry.txt              "name<TAB>value" lines read back from the registry
  registry-source.txt       who wrote the registry record
  folder.txt                "windows folder<TAB>host folder" of the installation
  shortcuts.txt             the shortcuts the package made
  version.txt               which demo product the installed Quillora.exe is
  collector/<sink>.jsonl    analytics records the collector accepted, in arrival order
  analytics-source.txt      which program sent them
"""

import argparse
import json
import os
import sys

PACKAGE_CODES = {
    2001: "installation started",
    2002: "progress",
    2003: "installation succeeded",
    2004: "installation failed",
    3000: "InstPath",
    3001: "ExePath",
    3002: "uninstaller",
    3003: "UninstEp",
    3004: "start address",
    3005: "StartupStyle",
    3007: "front delay",
    3008: "close delay",
    3009: "message",
}
UNINSTALL_CODES = {
    5001: "old uninstaller started",
    5002: "progress",
    5003: "old version removed",
    5004: "old uninstaller could not run",
    5005: "old uninstaller failed",
}


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\r\n") for line in f if line.strip()]


def read_events(path):
    events = []
    for line in read_lines(path):
        parts = line.split("\t", 3)
        if len(parts) < 3:
            continue
        try:
            events.append((float(parts[0]), int(parts[1]), float(parts[2]), parts[3] if len(parts) > 3 else ""))
        except ValueError:
            continue
    return events


def number(value):
    return ("%g" % value) if value != int(value) else str(int(value))


def describe(events, codes):
    """Groups runs of progress events: one line per event otherwise."""
    out = []
    i = 0
    while i < len(events):
        _, code, value, text = events[i]
        if code not in codes:
            i += 1
            continue
        if codes[code] == "progress":
            j = i
            while j < len(events) and events[j][1] == code:
                j += 1
            values = [e[2] for e in events[i:j]]
            out.append("%d progress x%d (%s .. %s)" % (code, j - i, number(values[0]), number(values[-1])))
            i = j
            continue
        detail = text if text else (number(value) if value else "")
        out.append("%d %s%s" % (code, codes[code], (": " + detail) if detail else ""))
        i += 1
    return out


def read_protocol(path):
    """(writer, line) of a protocol copy, in the order written."""
    lines = []
    for line in read_lines(path):
        parts = line.split("\t", 2)
        if len(parts) == 3:
            lines.append((parts[1], parts[2].rstrip("\r")))
    return lines


def describe_protocol(lines):
    """Groups runs of Progress= lines: one line each otherwise."""
    out = []
    i = 0
    while i < len(lines):
        if lines[i].startswith("Progress="):
            j = i
            while j < len(lines) and lines[j].startswith("Progress="):
                j += 1
            out.append("Progress= x%d (%s .. %s)" % (j - i, lines[i][9:], lines[j - 1][9:]))
            i = j
            continue
        out.append(lines[i])
        i += 1
    return out


def throughput(events, size):
    start = next((t for t, c, _, _ in events if c == 1001), None)
    end = next((t for t, c, _, _ in events if c == 1003), None)
    if start is None or end is None or size <= 0:
        return "no finished download"
    seconds = max(end - start, 1e-6)
    mib = size / 1048576.0
    return "%.1f MiB in %.3f s = %.1f MiB/s (event 1001 to 1003, MD5 check included)" % (mib, seconds, mib / seconds)


def collector_records(work):
    """Every record the collector accepted, in arrival order; None for a line that is not JSON."""
    folder = os.path.join(work, "collector")
    if not os.path.isdir(folder):
        return
    for sink in sorted(os.listdir(folder)):
        if not sink.endswith(".jsonl") or sink.endswith(".requests.jsonl"):
            continue
        for line in read_lines(os.path.join(folder, sink)):
            try:
                yield json.loads(line)
            except ValueError:
                yield None


def download_seconds(work):
    """Seconds of every 大包下载完毕 Task the collector received, in arrival order."""
    seconds = []
    for record in collector_records(work):
        props = (record or {}).get("properties") or {}
        if props.get("vt_task_name") == "大包下载完毕" and props.get("vt_task_elapsed"):
            seconds.append(float(props["vt_task_elapsed"]))
    return seconds


def analytics(work):
    names = []
    for record in collector_records(work):
        if record is None:
            names.append("(unreadable record)")
            continue
        name = record.get("event") or record.get("type") or "?"
        props = record.get("properties") or {}
        detail = props.get("vt_task_name") or props.get("vt_name") or props.get("name")
        names.append("%s (%s)" % (name, detail) if detail else str(name))
    return names


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", required=True)
    work = parser.parse_args().work
    print()
    print("==== Quillora demo: summary ====")

    folder = read_lines(os.path.join(work, "folder.txt"))
    if folder:
        windows, _, host = folder[0].partition("\t")
        print("Installed folder: %s" % windows)
        print("  (on this machine: %s)" % host)
        if os.path.isdir(host):
            for name in sorted(os.listdir(host)):
                path = os.path.join(host, name)
                size = os.path.getsize(path) if os.path.isfile(path) else 0
                print("  %-28s %9d bytes" % (name, size))
        else:
            print("  (folder missing)")
    for line in read_lines(os.path.join(work, "version.txt")):
        print("  " + line)
    for link in read_lines(os.path.join(work, "shortcuts.txt")):
        print("Shortcut: %s" % link)

    print("Registry HKEY_CURRENT_USER\\Software\\VelToSoft\\Quillora:")
    registry = read_lines(os.path.join(work, "registry.txt"))
    for line in registry:
        name, _, value = line.partition("\t")
        print("  %-12s = %s" % (name, value))
    if not registry:
        print("  (no values)")
    for line in read_lines(os.path.join(work, "registry-source.txt")):
        print("  " + line)

    runs = [line.split("\t") for line in read_lines(os.path.join(work, "runs.tsv"))]
    speeds = []
    # The window times each download itself and reports it as the Task 大包下载完毕.
    window_downloads = download_seconds(work)
    for run in runs:
        name, title, events_file, size = run[:4]
        events = read_events(os.path.join(work, events_file))
        if not events:
            # A run in the installer window: the window handled the events; the package and
            # the old uninstaller kept a copy of what they told it.
            print("%s: finish page reached (screenshots in out/demo/)" % title)
            protocol = read_protocol(os.path.join(work, run[4])) if len(run) > 4 else []
            removal = [line for writer, line in protocol if writer == "uninstaller"]
            if removal:
                print("  the old version's uninstaller sent:")
                for line in describe_protocol(removal):
                    print("    " + line)
            print("  events the package sent (its standard output, as the installer read it):")
            for line in describe_protocol([line for writer, line in protocol if writer == "package"]) or ["(none)"]:
                print("    " + line)
            seconds = window_downloads.pop(0) if window_downloads else None
            if seconds and int(size) > 0:
                mib = int(size) / 1048576.0
                speeds.append("%s: %.1f MiB in %.3f s = %.1f MiB/s (as the window timed it, MD5 check included)"
                              % (name, mib, seconds, mib / seconds))
            else:
                speeds.append("%s: no 大包下载完毕 event arrived" % name)
            continue
        final = next((c for _, c, _, _ in events if c in (2003, 2004, 1004, 5004, 5005)), None)
        outcome = {2003: "success"}.get(final, "FAILED (event %s)" % final)
        print("%s: %s" % (title, outcome))
        removal = describe(events, UNINSTALL_CODES)
        if removal:
            print("  old version's uninstaller:")
            for line in removal:
                print("    " + line)
        print("  events the package sent (through the package runner):")
        for line in describe(events, PACKAGE_CODES) or ["(none)"]:
            print("    " + line)
        speeds.append("%s: %s" % (name, throughput(events, int(size))))

    names = analytics(work)
    source = " ".join(read_lines(os.path.join(work, "analytics-source.txt")))
    print("Analytics events received by the collector, in order: %d" % len(names))
    if source:
        print("  (%s)" % source)
    for i, name in enumerate(names, 1):
        print("  %2d. %s" % (i, name))
    if not names:
        print("  (none)")

    print("Download throughput:")
    for line in speeds:
        print("  " + line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
