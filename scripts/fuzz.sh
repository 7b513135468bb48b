#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each of them for FUZZ_SECONDS.
#
#   FUZZ_SECONDS   seconds per target (default 60)
#   FUZZ_TARGETS   targets to run, separated by spaces (default: all)
#   FUZZ_JOBS      targets run at the same time (default 1)
#   FUZZ_BUILD_DIR build directory (default build-fuzz)
#   FUZZ_CORPUS    where each target keeps the inputs it found (default
#                  fuzz-corpus/, which git ignores), one folder per target
#
# A target fails on a crash, a sanitizer report, a leak, an input that runs
# longer than a second, a single allocation above 512 MB or a resident size
# above 2 GB; the input is kept in FUZZ_CORPUS/crashes/. Each target's line
# gives its executions, executions per second, coverage (edges and features)
# and corpus size.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-60}
JOBS=${FUZZ_JOBS:-1}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
CORPUS=${FUZZ_CORPUS:-fuzz-corpus}
ALL="session ressources terrains races caracts classes creatures batiments heros ingameheros accounts player world web"
TARGETS=${FUZZ_TARGETS:-$ALL}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DROYAUMES_FUZZ=ON -DROYAUMES_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target $(for T in $TARGETS; do printf 'fuzz_%s ' "$T"; done)

# The seeds: the shipped file each target replaces (and its siblings of the
# same shape), then the hand-made ones of tests/fuzz/seeds/<target>/.
SEEDS="$BUILD/seeds"
rm -rf "$SEEDS"
seed() { mkdir -p "$SEEDS/$1"; shift; for F in "$@"; do [ -f "$F" ] && cp "$F" "$SEEDS/$T/"; done; :; }
for T in $TARGETS; do
  case $T in
    ressources) seed "$T" game/data/ressources.zrk ;;
    terrains) seed "$T" game/data/terrains.zrk ;;
    races) seed "$T" game/data/races.zrk ;;
    caracts) seed "$T" game/data/caract*.zrk ;;
    classes) seed "$T" game/data/Classes.zrk ;;
    creatures) seed "$T" game/data/Creatures.zrk ;;
    batiments) seed "$T" game/data/Batiments.zrk ;;
    heros | ingameheros) seed "$T" game/data/heros.zrk ;;
    accounts) seed "$T" game/players/accounts.zrk tests/e2e/fixture/players/accounts.zrk ;;
    *) seed "$T" ;;
  esac
  if [ -d "tests/fuzz/seeds/$T" ]; then cp tests/fuzz/seeds/"$T"/* "$SEEDS/$T/"; fi
done

mkdir -p "$CORPUS/crashes" "$BUILD/logs"
# The targets work in a game copy of their own: every path they get is absolute.
CORPUS=$(realpath "$CORPUS")
SEEDS=$(realpath "$SEEDS")
BUILD=$(realpath "$BUILD")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_one() {
  local T=$1 LOG="$BUILD/logs/$1.log"
  mkdir -p "$CORPUS/$T"
  local START=$(date +%s)
  if "$BUILD/fuzz/fuzz_$T" -max_total_time="$SECONDS_PER_TARGET" -timeout=1 \
      -malloc_limit_mb=512 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$CORPUS/crashes/$T-" "$CORPUS/$T" "$SEEDS/$T" >"$LOG" 2>&1; then
    local STATUS=ok
  else
    local STATUS=FAILED
  fi
  local END=$(date +%s)
  local LAST=$(grep -E '^#[0-9]+' "$LOG" | tail -1)
  local RUNS=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG")
  local RATE=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$LOG")
  local RSS=$(sed -n 's/^stat::peak_rss_mb: *//p' "$LOG")
  local COV=$(echo "$LAST" | grep -oE 'cov: [0-9]+' | cut -d' ' -f2)
  local FT=$(echo "$LAST" | grep -oE 'ft: [0-9]+' | cut -d' ' -f2)
  local CORP=$(echo "$LAST" | grep -oE 'corp: [0-9]+' | cut -d' ' -f2)
  printf '%-12s %-6s %5ss %10s runs %7s exec/s  cov %5s  ft %6s  corpus %5s  rss %5s MB\n' \
    "$T" "$STATUS" "$((END - START))" "${RUNS:-?}" "${RATE:-?}" "${COV:-?}" "${FT:-?}" "${CORP:-?}" "${RSS:-?}"
  if [ "$STATUS" != ok ]; then
    echo "---- $T: the end of $LOG" >&2
    grep -vE '^#[0-9]+' "$LOG" | tail -40 >&2
    return 1
  fi
}
export -f run_one
export BUILD CORPUS SEEDS SECONDS_PER_TARGET

echo "fuzzing ${SECONDS_PER_TARGET}s per target, $JOBS at a time"
printf '%s\n' $TARGETS | xargs -P "$JOBS" -I{} bash -c 'run_one {}'
echo "fuzz: every target ran without a finding"
