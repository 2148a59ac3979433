#!/usr/bin/env bash
# Times a capture of an 800-record datalog from quvane-sim on a pseudo-terminal throttled to a
# serial line's speed, against the time the bytes need on that line (8N1, both directions).
#   bench/capture_pty.sh [RUNS] [BAUD]      defaults: 3 runs at 115200 baud
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
baud=${2:-115200}
build=build/default
cmake --build --preset default --target quvane quvane-sim >/dev/null

work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
"$build/src/sim/quvane-sim" --pty --records 800 --baud "$baud" --log "$work/sim.log" > "$work/sim.out" &
sim=$!
for _ in $(seq 50); do grep -q "serving on" "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '{print $NF}' "$work/sim.out")

times=()
for run in $(seq "$runs"); do
  : > "$work/sim.log"
  start=$(date +%s.%N)
  QUVANE_PORT=$port "$build/src/cli/quvane" capture "$work/capture.txt"
  end=$(date +%s.%N)
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
done
# Bytes on the line during the last run: every command and reply with its framing and CR.
line_seconds=$(awk -F'\t' -v baud="$baud" '{ bytes += length($1) + 4 + length($2) + 4 }
  END { printf "%.3f", bytes * 10 / baud }' "$work/sim.log")
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
printf 'capture of 800 records at %s baud, %s runs\n' "$baud" "$runs"
printf '  time on the line: %s s\n  median capture:   %.3f s\n  ratio:            %.4f\n' \
  "$line_seconds" "$median" "$(awk -v m="$median" -v l="$line_seconds" 'BEGIN { print m / l }')"
