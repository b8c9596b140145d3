#!/usr/bin/env bash
# restore's time against the cable's time, on the MIDI system PMCKEYS_MIDI_API
# names (alsa or jack): pmckeys-sim serves the device's MIDI input, and
# `pmckeys restore FILE --no-verify` runs under it three times for each file,
# timed alone. The cable's time is the file's bytes at 31,250 baud, ten bits
# a byte, and the 50 ms pauses between its messages. On JACK it starts a
# server of its own (the dummy backend); on ALSA it needs the sequencer (in
# the guest of tests/alsa_vm.sh: tests/alsa_vm.sh build/ci -- bench/restore_time.sh build/ci).
#   PMCKEYS_MIDI_API=jack bench/restore_time.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: PMCKEYS_MIDI_API=alsa|jack bench/restore_time.sh BUILD_DIR}")
api=${PMCKEYS_MIDI_API:?PMCKEYS_MIDI_API must name alsa or jack}
work=$(mktemp -d /tmp/pmckeys-restore-time.XXXXXX)
jack=
cleanup() { [ -z "$jack" ] || { kill "$jack"; wait "$jack" || true; } 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
if [ "$api" = jack ]; then
  export JACK_DEFAULT_SERVER=pmckeys-restore-time
  jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy >/dev/null 2>&1 &
  jack=$!
  jack_wait -w -t 5 >/dev/null 2>&1
fi

# A file of COUNT System Exclusive messages of SIZE bytes.
dump() {
  for _ in $(seq "$1"); do
    printf '\360'; head -c $(($2 - 2)) /dev/zero | tr '\0' '\021'; printf '\367'
  done
}

echo "| $api: file | restore (s), three runs | cable and pauses (s) | restore / cable (median) |"
echo "|---|---|---|---|"
for shape in "4 1024" "4 4096" "1 16384" "1 65536"; do
  read -r count size <<<"$shape"
  file=$work/$count-$size.syx
  dump "$count" "$size" >"$file"
  cable=$(awk -v n="$count" -v s="$size" 'BEGIN { printf "%.3f", n * s * 10 / 31250 + (n - 1) * 0.05 }')
  # A run that failed is marked with its status ("2.345 (1)") and counts for nothing.
  runs=()
  for _ in 1 2 3; do
    runs+=("$("$build/pmckeys-sim" --trace /dev/null -- bash -c 'TIMEFORMAT=%3R
      { time "$0" restore "$1" --no-verify >/dev/null 2>"$2.err"; } 2>&1; s=$?; [ $s -eq 0 ] || echo " ($s)"' \
      "$build/pmckeys" "$file" "$work/run" | tr -d '\n' || true)")
    [ ! -s "$work/run.err" ] || echo "  $(cat "$work/run.err")" >&2
  done
  ratio=$(printf '%s\n' "${runs[@]}" | { grep -v '(' || true; } | sort -n |
          awk -v c="$cable" '{ t[NR] = $1 } END { if (NR) printf "%.3f", t[int((NR + 1) / 2)] / c; else printf "-" }')
  echo "| $count x $size bytes | ${runs[*]} | $cable | $ratio |"
done
