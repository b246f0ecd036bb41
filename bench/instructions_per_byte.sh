#!/usr/bin/env bash
# Instructions per byte through the read completion (its inclusive cost: decoder, mapping, pointer
# emulation, beep and the re-issued read), counted by callgrind: repeatable, unlike time.
# Usage: bench/instructions_per_byte.sh [BUILD_DIR]   (default: build/release)
set -euo pipefail
build=${1:-build/release}
counter="$build/bench/byte_path_count"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for kind in still moving; do
  bytes=$("$counter" "$kind" | awk '{print $1}')
  valgrind --tool=callgrind --callgrind-out-file="$out/$kind.out" "$counter" "$kind" >/dev/null 2>&1
  total=$(callgrind_annotate --inclusive=yes "$out/$kind.out" 2>/dev/null |
    awk '/TouchDriver::ReadComplete/ {gsub(",", "", $1); print $1; exit}')
  awk -v t="$total" -v b="$bytes" -v k="$kind" \
    'BEGIN { printf "%-7s holds: %d instructions over %d bytes = %.1f instructions per byte\n", k, t, b, t / b }'
done
