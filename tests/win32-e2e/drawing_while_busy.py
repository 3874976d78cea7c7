#!/usr/bin/env python3
"""Drawing while the thread is busy: busy_drawing.exe under Wine sets the progress bar to half and
sleeps without servicing its window; a screenshot of the X server taken during that sleep must
show the bar half filled (its left quarter in another colour than its right quarter), where one
taken before the change shows it empty.

    drawing_while_busy.py BUSY_DRAWING_EXE SHOT_DIR
"""
import os
import subprocess
import sys
import time

SKIP = 77


def quarter_colours(shot, x, y, w, h):
    """The mean colours of the left and the right quarter of the bar's inside."""
    def mean(left):
        crop = f"{w // 4 - 4}x{h - 8}+{left}+{y + 4}"
        out = subprocess.run(["convert", shot, "-crop", crop, "+repage", "-resize", "1x1!",
                              "-format", "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]", "info:"],
                             capture_output=True, text=True, check=True).stdout
        return tuple(int(v) for v in out.split())
    return mean(x + 4), mean(x + w - w // 4)


def distance(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


def main():
    exe, shots = sys.argv[1], sys.argv[2]
    if not os.environ.get("DISPLAY"):
        print("SKIPPED: no X server in DISPLAY (scripts/test-windows starts one)")
        return SKIP
    os.makedirs(shots, exist_ok=True)
    before = os.path.join(shots, "busy-before.png")
    during = os.path.join(shots, "busy-during.png")
    program = subprocess.Popen(["wine", exe], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
    try:
        ready = program.stdout.readline().split()
        if not ready or ready[0] != "ready":
            print(f"FAILED: no 'ready' from the program ({ready})")
            return 1
        x, y, w, h = (int(v) for v in ready[1:])
        time.sleep(0.5)
        subprocess.run(["import", "-window", "root", before], check=True)
        if program.stdout.readline().strip() != "changed":
            print("FAILED: no 'changed' from the program")
            return 1
        changed_at = time.time()
        time.sleep(1.0)
        subprocess.run(["import", "-window", "root", during], check=True)
        still_busy = time.time() - changed_at < 3.5 and program.poll() is None
    finally:
        program.wait(timeout=30)
    left_before, right_before = quarter_colours(before, x, y, w, h)
    left_during, right_during = quarter_colours(during, x, y, w, h)
    print(f"  bar at {x},{y} {w}x{h}; before: left {left_before} right {right_before}; "
          f"during the sleep: left {left_during} right {right_during}")
    ok = True
    for what, good in (
            ("the picture was taken while the program slept", still_busy),
            ("before the change the bar is empty", distance(left_before, right_before) < 30),
            ("while the thread sleeps, the left half is filled", distance(left_during, right_during) > 90),
            ("and the right half is still empty", distance(right_during, right_before) < 30),
            ("the program ended with status 0", program.returncode == 0)):
        print(f"  {'ok' if good else 'FAILED'}: {what}")
        ok = ok and good
    print("PASSED" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
