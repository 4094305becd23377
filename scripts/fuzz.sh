#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (FUZZ_BUILD_DIR overrides) and runs them.
#   scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options]   run one target (receive, datafile, text, simmonitor,
#                                                             intelhex) or all of them for SECONDS each
#   scripts/fuzz.sh seeds                                     write the seed corpus again from the simulator
# Each run starts from the checked-in seeds in fuzz/corpus/TARGET and keeps what it finds new in
# build-fuzz/corpus/TARGET; an input that crashes is saved as build-fuzz/crashes/TARGET-crash-... and the script
# fails. Reproduce one with: build-fuzz/bin/fuzz_TARGET FILE
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
targets=(receive datafile text simmonitor intelhex)

usage() {
    echo "usage: scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options] | scripts/fuzz.sh seeds" >&2
    echo "targets: ${targets[*]}" >&2
    exit 2
}

[ $# -ge 1 ] || usage
what="$1"
shift

if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    generator=()
    command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
    cmake -S "$root" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DORVEXMON_FUZZ=ON
fi

if [ "$what" = seeds ]; then
    cmake --build "$build" -j"$(nproc)" --target fuzz_seeds
    rm -rf "$root/fuzz/corpus"
    "$build/bin/fuzz_seeds" "$root/fuzz/corpus"
    exit 0
fi

[ $# -ge 1 ] || usage
seconds="$1"
shift
case "$what" in
    all) run=("${targets[@]}") ;;
    receive | datafile | text | simmonitor | intelhex) run=("$what") ;;
    *) usage ;;
esac

cmake --build "$build" -j"$(nproc)" --target "${run[@]/#/fuzz_}"
mkdir -p "$build/crashes"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
status=0
for t in "${run[@]}"; do
    work="$build/corpus/$t"
    mkdir -p "$work"
    log="$build/fuzz-$t.log"
    echo "== fuzz_$t for ${seconds}s"
    if "$build/bin/fuzz_$t" "$work" "$root/fuzz/corpus/$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$t-" "$@" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "   ok: ${runs:-?} runs, $(grep -o 'exec/s: [0-9]*' "$log" | tail -1 | cut -d' ' -f2) exec/s"
    else
        status=1
        echo "   FAILED (log: $log)"
        grep -E 'ERROR|SUMMARY|check failed|runtime error|Test unit written' "$log" | head -20 || true
    fi
done
exit "$status"
