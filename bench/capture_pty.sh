#!/usr/bin/env bash
# Times a capture of an 800-record datalog from quvane-sim on a pseudo-terminal throttled to a
# serial line's speed, against the time the bytes need on that line (8N1, both directions) and
# against a minimal client that sends the same commands and reads the replies, with no decoding
# and no file (bench/MinimalClient.cpp): the rest of the line time is the simulator's own pacing.
#   bench/capture_pty.sh [RUNS] [BAUD]      defaults: 3 runs at 115200 baud
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
baud=${2:-115200}
build=build/default
cmake --build --preset default --target quvane quvane-sim capture_client >/dev/null

work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
"$build/src/sim/quvane-sim" --pty --records 800 --baud "$baud" --log "$work/sim.log" > "$work/sim.out" &
sim=$!
for _ in $(seq 50); do grep -q "serving on" "$work/sim.out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '{print $NF}' "$work/sim.out")

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
times=()
client=()
# Alternated, so that a slower spell of the machine falls on both.
for run in $(seq "$runs"); do
  start=$(date +%s.%N)
  "$build/bench/capture_client" "$port" 800
  end=$(date +%s.%N)
  client+=("$(seconds "$start" "$end")")
  : > "$work/sim.log"
  start=$(date +%s.%N)
  QUVANE_PORT=$port "$build/src/cli/quvane" capture "$work/capture.txt"
  end=$(date +%s.%N)
  times+=("$(seconds "$start" "$end")")
done
# Bytes on the line during the last run: every command and reply with its framing and CR.
line_seconds=$(awk -F'\t' -v baud="$baud" '{ bytes += length($1) + 6 + length($2) + 6 }
  END { printf "%.3f", bytes * 10 / baud }' "$work/sim.log")
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
capture=$(median "${times[@]}")
minimal=$(median "${client[@]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
printf 'capture of 800 records at %s baud, %s runs\n' "$baud" "$runs"
printf '  time on the line:        %s s\n' "$line_seconds"
printf '  median minimal client:   %.3f s   (%s x the line)\n' "$minimal" "$(ratio "$minimal" "$line_seconds")"
printf '  median quvane capture:   %.3f s   (%s x the line, %s x the minimal client)\n' \
  "$capture" "$(ratio "$capture" "$line_seconds")" "$(ratio "$capture" "$minimal")"
