#!/usr/bin/env bash
# Fuzzes the sounding readers: builds one libFuzzer target per reader (EDI, Occam data,
# column text, EMTF XML, J-format, Zonge AVG; the EDI and the last three also write what they
# accept with the EDI and EMTF XML writers and read it again; the EDI reader a second time with a
# mutator that swaps, repeats, drops and cuts its blocks and edits its counts) with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/,
# then runs each for the given number of seconds (default 60). Seeds: the small files in
# fuzz/seeds/ and, when present, the real files in ../shared/data. Fails on any finding; the
# input that caused it is left in build-fuzz/findings/.
#
#     bash scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [seconds]" >&2; exit 2; }

build=build-fuzz
cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=(edi edi_blocks occam columns emtfxml jformat zongeavg)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

shared=../shared/data
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings"
summary=()
for target in "${targets[@]}"; do
  # A fresh working corpus each run, so that what a run finds does not pile up.
  corpus="$build/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  # The block mutator's target starts from the EDI seeds and dictionary.
  inputs=${target%_blocks}
  cp fuzz/seeds/"$inputs"/* "$corpus"/
  seeds=()
  [ -d "$shared" ] && seeds+=("$shared")
  log="$build/fuzz_$target.log"
  echo "== fuzz_$target for ${seconds} s"
  if ! "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=131072 \
      -dict="fuzz/$inputs.dict" -artifact_prefix="$build/findings/$target-" -print_final_stats=1 \
      "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz_$target: finding; see $log and $build/findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  summary+=("fuzz_$target: ${runs:-?} executions in ${seconds} s, no finding")
done
printf '%s\n' "${summary[@]}"
