#!/usr/bin/env bash
# trelvin2-cli.exe under Wine against trelvin2-sim (a Linux program) on the pty that Wine's COM1
# is mapped to: one unit, status 0, and the simulator's firmware starts with the chosen settings.
#   wine_one_unit.sh WINE CLI_EXE SIM COM1_LINK
set -euo pipefail
wine=$1 cli=$2 sim=$3 com1=$4
out=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$out"' EXIT

"$sim" --link "$com1" --reset-now --once >"$out/sim.txt" &
sim_pid=$!
for _ in $(seq 100); do [ -L "$com1" ] && break; sleep 0.05; done

status=0
"$wine" "$cli" --port com1 --baud 19200 --framing 8E1 >"$out/cli.txt" 2>&1 || status=$?
wait $sim_pid || true
cat "$out/cli.txt" "$out/sim.txt"
[ "$status" -eq 0 ] || { echo "trelvin2-cli.exe ended with status $status" >&2; exit 1; }
grep -q '^firmware: 19200 baud 8E1 ' "$out/sim.txt" || { echo "no firmware line" >&2; exit 1; }
grep -q 'Einheit 1: erfolgreich' "$out/cli.txt" || { echo "no result line" >&2; exit 1; }
