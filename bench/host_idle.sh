#!/usr/bin/env bash
# Idle cost of the driver host: its port open, no touches. Counts the context switches of all its
# threads over a period (each wake-up is one) and reads its resident memory.
# Usage: bench/host_idle.sh [BUILD_DIR] [SECONDS]   (defaults: build/release, 10)
set -euo pipefail
build=${1:-build/release}
seconds=${2:-10}
QVTOUCH_ROOT=$(mktemp -d)
export QVTOUCH_ROOT
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$QVTOUCH_ROOT"
}
trap cleanup EXIT

store() { "$build/tools/qvreg/qvreg" add "$@" /f >/dev/null; }
store 'HKLM\Software\QVTouch\Ports' /v COM1 /t REG_SZ /d "$QVTOUCH_ROOT/ttyCOM1"
store 'HKLM\Software\QVTouch' /v PointerSink /t REG_SZ /d "recorder:$QVTOUCH_ROOT/pointer.jsonl"
store 'HKLM\Software\QVTouch' /v ToneSink /t REG_SZ /d "recorder:$QVTOUCH_ROOT/tone.jsonl"

"$build/tools/sim/qvtouch-sim" --pty "$QVTOUCH_ROOT/ttyCOM1" --linger </dev/null &
pids+=($!)
"$build/platform/kernel_host/qvtouch" 2>/dev/null &
host=$!
pids+=("$host")
until "$build/tools/qvtouchctl/qvtouchctl" pass-through "" --reply 0 >/dev/null 2>&1; do
  sleep 0.2
done
sleep 1  # let the start settle

switches() {
  cat /proc/"$host"/task/*/status | awk '/ctxt_switches/ {sum += $2} END {print sum}'
}
before=$(switches)
sleep "$seconds"
after=$(switches)
threads=$(ls /proc/"$host"/task | wc -l)
rss=$(awk '/VmRSS/ {print $2, $3}' /proc/"$host"/status)
awk -v b="$before" -v a="$after" -v s="$seconds" -v t="$threads" -v r="$rss" 'BEGIN {
  printf "idle driver host: %.1f wake-ups per second over %d s (%d threads), resident memory %s\n",
    (a - b) / s, s, t, r }'
