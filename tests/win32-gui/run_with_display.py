#!/usr/bin/env python3
"""Runs a command with an X server: the one in DISPLAY when it answers, else a fresh Xvfb on the
first free display number of TRELVIN2_X_DISPLAYS ("first-last", default 90-139), stopped at the
end. Wine cannot create a window without one.

    run_with_display.py COMMAND [ARG...]
"""
import os
import shutil
import subprocess
import sys
import time


def answers(display):
    if not shutil.which("xdpyinfo"):
        return False
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def start_xvfb():
    first, last = (int(n) for n in os.environ.get("TRELVIN2_X_DISPLAYS", "90-139").split("-"))
    for number in range(first, last + 1):
        if os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        display = f":{number}"
        server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline and server.poll() is None:
            if answers(display):
                return display, server
            time.sleep(0.05)
        server.kill()
        server.wait()
    sys.exit("run_with_display: no X server could be started")


def main():
    server = None
    display = os.environ.get("DISPLAY", "")
    if not display or not answers(display):
        display, server = start_xvfb()
    try:
        return subprocess.run(sys.argv[1:], env=dict(os.environ, DISPLAY=display)).returncode
    finally:
        if server is not None:
            server.terminate()
            server.wait()


if __name__ == "__main__":
    sys.exit(main())
