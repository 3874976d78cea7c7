#!/usr/bin/env python3
"""Time per unit of a trelvin2-cli batch against trelvin2-sim on a pty, every unit reset at once.

    bench/cli_batch_time.py build [units]

Runs `trelvin2-sim --devices N --reset-now` and `trelvin2-cli --repeat N --json` against its pty,
and prints the median of the units' "reset_to_start_s" (the reset prompt to the start byte, as
the CLI measures it), the batch's wall time per unit, and both against the protocol's floor that
bench/update_time prints (connect wait 1000 ms + code pauses 66 ms + 69 bytes x 0.521 ms + the
loader's work 8.24 ms = 1110.2 ms).
"""
import json
import statistics
import subprocess
import sys
import time

FLOOR_MS = 1110.2


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    units = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    sim = subprocess.Popen([f"{build}/trelvin2-sim", "--devices", str(units), "--reset-now"],
                           stdout=subprocess.PIPE, text=True)
    pty = sim.stdout.readline().strip()
    started = time.monotonic()
    cli = subprocess.run([f"{build}/trelvin2-cli", "--port", pty, "--baud", "19200",
                          "--framing", "8E1", "--repeat", str(units), "--json"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    wall_s = time.monotonic() - started
    sim.wait(timeout=30)
    results = [json.loads(line) for line in cli.stdout.splitlines()]
    ok = [r for r in results if r["result"] == "success"]
    per_unit_ms = [r["reset_to_start_s"] * 1000 for r in ok]
    median = statistics.median(per_unit_ms)
    print(f"units: {len(results)} ({len(ok)} configured), exit status {cli.returncode}")
    print(f"reset prompt to start byte, median: {median:.1f} ms "
          f"(min {min(per_unit_ms):.1f}, max {max(per_unit_ms):.1f})")
    print(f"batch wall time per unit: {wall_s * 1000 / len(results):.1f} ms")
    print(f"protocol floor: {FLOOR_MS} ms; ratio of the median: {median / FLOOR_MS:.3f} "
          f"(aim <= 1.05)")


if __name__ == "__main__":
    main()
