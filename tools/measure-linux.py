#!/usr/bin/python3
"""Measures cendrel on a private Xvfb desktop and writes docs/linux-figures.md.

    tools/measure-linux.py [--build-dir build] [--seconds 30] [--output docs/linux-figures.md]

Figures: CPU time used while idle and while armed over the same span, resident
memory, time from start to hot key ready (the tray menu is published over
D-Bus right after the hot key is registered, in the same pass of the event
loop), and the latency from an XTEST click to the login manager's Lock call.
"""
import argparse
import datetime
import os
import platform
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from harness import SCREEN, Desktop, wait_for  # noqa: E402

CENTRE = (SCREEN[0] // 2, SCREEN[1] // 2)
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def arm(desk):
    desk.xdotool("mousemove", *CENTRE)
    desk.xdotool("key", "super+alt+l")
    desk.wait_for_status("Arming…", timeout=10)
    desk.wait_for_status("● Armed", timeout=10)


def cpu_over(pid, seconds):
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return cpu_seconds(pid) - before


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build"))
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--starts", type=int, default=5)
    parser.add_argument("--clicks", type=int, default=5)
    parser.add_argument("--output", default=os.path.join(ROOT, "docs", "linux-figures.md"))
    options = parser.parse_args()
    binary = os.path.join(options.build_dir, "platform", "linux", "cendrel")
    helper = os.path.join(options.build_dir, "tests", "e2e", "e2e_x11_helper")

    startups = []
    for _ in range(options.starts):
        with Desktop(binary, helper) as desk:
            started = time.monotonic()
            desk.launch()
            startups.append(time.monotonic() - started)

    with Desktop(binary, helper) as desk:
        desk.launch()
        pid = desk.app.pid
        time.sleep(1)
        idle_cpu = cpu_over(pid, options.seconds)
        idle_rss = rss_kib(pid)
        arm(desk)
        armed_cpu = cpu_over(pid, options.seconds)
        armed_rss = rss_kib(pid)
        latencies = []
        desk.xdotool("click", 1)
        wait_for(lambda: desk.lock_count() == 1, 5, "the first lock")
        for round_ in range(options.clicks):
            arm(desk)
            pressed = desk.helper_click(1)
            wait_for(lambda: desk.lock_count() == round_ + 2, 5, "a Lock call")
            latencies.append(desk.lock_times()[-1] - pressed)

    command = "tools/measure-linux.py" + ("" if options.build_dir == os.path.join(ROOT, "build")
                                          else " --build-dir " + os.path.relpath(options.build_dir, ROOT))
    try:
        cpu_model = next(line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                         if line.startswith("model name"))
    except (OSError, StopIteration):
        cpu_model = platform.processor() or "unknown"
    ms = 1000.0
    text = f"""# Cendrel on Linux: measured figures

Produced by `{command}` on {datetime.date.today().isoformat()}, on {cpu_model} ({os.cpu_count()} cores), \
Xvfb {SCREEN[0]}x{SCREEN[1]}, RelWithDebInfo build.

| Figure | Value |
| --- | --- |
| CPU time while idle, over {options.seconds:.0f} s | {idle_cpu * ms:.0f} ms ({idle_cpu / options.seconds * 100:.2f} % of one core) |
| CPU time while armed, over {options.seconds:.0f} s | {armed_cpu * ms:.0f} ms ({armed_cpu / options.seconds * 100:.2f} % of one core) |
| Resident memory, idle | {idle_rss / 1024:.1f} MiB |
| Resident memory, armed | {armed_rss / 1024:.1f} MiB |
| Start to hot key ready (median of {len(startups)}) | {statistics.median(startups) * ms:.0f} ms (min {min(startups) * ms:.0f}, max {max(startups) * ms:.0f}) |
| XTEST click to `Lock` call (median of {len(latencies)}) | {statistics.median(latencies) * ms:.1f} ms (min {min(latencies) * ms:.1f}, max {max(latencies) * ms:.1f}) |

CPU time is user plus system time from /proc; the armed figure includes the
pointer poll, 25 times a second. Start-up is measured to the moment the tray
menu can be read over D-Bus (asked every 20 ms), which comes after the hot
key is grabbed. The
click latency runs from the XTEST request leaving the client to the fake login
manager receiving `Lock`, both on CLOCK_MONOTONIC.
"""
    os.makedirs(os.path.dirname(options.output), exist_ok=True)
    with open(options.output, "w") as out:
        out.write(text)
    print(text)


if __name__ == "__main__":
    main()
