#!/usr/bin/env python3
"""Figures a user of the desktop tool would care about, measured on the real binary under Xvfb
with openbox (as root, since trelvin2-sim is linked as /dev/com1):

  - start-up: from exec to the port window being mapped, 10 runs;
  - idle CPU of the main loop over 10 s, in percent of one core;
  - resident memory at the main loop.

    bench/desktop_figures.py BUILD_DIR
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e  # noqa: E402  (the end-to-end tests' session: display, simulator, clicks)

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS  # utime + stime


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def start_up_times(build, runs=10):
    times = []
    for i in range(runs):
        s = e2e.Session(build, f"bench-start-{i}")
        try:
            s.start_display()
            e2e.hold_machine_ports(s)
            s.start_tool()
            started = s.tool_started
            s.window(e2e.PORT_TITLE, timeout=20)
            times.append((time.time() - started) * 1000)
            s.close(e2e.PORT_TITLE)
            s.wait_tool_exit(5)
        finally:
            s.cleanup()
    return times


def idle_figures(build, seconds=10):
    s = e2e.Session(build, "bench-idle")
    try:
        s.start_display()
        e2e.hold_machine_ports(s)
        s.start_sim("/dev/com1", "--reset-now")
        s.start_tool()
        e2e.through_settings(s, None, None)
        time.sleep(1.0)  # settle in the main loop
        pid = s.tool.pid
        before, t0 = cpu_seconds(pid), time.time()
        time.sleep(seconds)
        used, elapsed = cpu_seconds(pid) - before, time.time() - t0
        rss = rss_kib(pid)
        s.close(e2e.MAIN_TITLE)
        s.wait_tool_exit(5)
        return 100.0 * used / elapsed, rss
    finally:
        s.cleanup()


def main():
    if os.geteuid() != 0:
        print("needs root (trelvin2-sim is linked as /dev/com1)")
        return 77
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    times = start_up_times(build)
    print(f"start-up, exec to port window mapped ({len(times)} runs): "
          f"min {min(times):.0f} ms, median {statistics.median(times):.0f} ms, max {max(times):.0f} ms")
    cpu, rss = idle_figures(build)
    print(f"idle CPU in the main loop over 10 s: {cpu:.2f} % of one core")
    print(f"resident memory at the main loop: {rss / 1024:.1f} MiB ({rss} KiB)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
