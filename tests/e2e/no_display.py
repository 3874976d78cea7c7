#!/usr/bin/env python3
"""The tool started where no display can be reached: it says so in one line that contains the
words "no display" and exits with status 1, instead of Qt's abort (SIGABRT, status 134).

    no_display.py TOOL
"""
import os
import subprocess
import sys
import tempfile

CASES = [
    ("DISPLAY unset", {}),
    ("DISPLAY names no server", {"DISPLAY": ":1234567"}),
    ("DISPLAY malformed", {"DISPLAY": "kein display"}),
    ("Wayland socket missing", {"WAYLAND_DISPLAY": "wayland-none"}),
]


def main():
    tool = sys.argv[1]
    failed = 0
    runtime = tempfile.mkdtemp(prefix="trelvin2-runtime-")
    for what, extra in CASES:
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE")}
        env["XDG_RUNTIME_DIR"] = runtime
        env.update(extra)
        result = subprocess.run([tool], env=env, capture_output=True, text=True, timeout=60)
        lines = result.stderr.strip().splitlines()
        ok = result.returncode == 1 and len(lines) == 1 and "no display" in lines[0]
        print(f"{'ok' if ok else 'FAILED'}: {what}: status {result.returncode}, {result.stderr.strip()!r}")
        failed += not ok
    os.rmdir(runtime)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
