#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer + UndefinedBehaviorSanitizer) into
# build-fuzz/ (or $VANTREL_FUZZ_BUILD_DIR) and runs each for SECONDS (default 60) on a copy of
# its seed corpus in fuzz/corpus/. Any crash, leak, sanitizer report or time-out fails the run;
# the input that caused it is kept in the build folder's fuzz-artifacts/.
# Usage: scripts/fuzz.sh [SECONDS] [HARNESS...]   (no harness: all of them)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTREL_FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds=60
if [[ $# -gt 0 && "$1" =~ ^[0-9]+$ ]]; then
    seconds="$1"
    shift
fi

if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ is needed (apt-get install clang)" >&2
    exit 1
fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF \
        -DVANTREL_QUICK_BUILD="${VANTREL_QUICK_BUILD:-OFF}" >/dev/null
fi
cmake --build "$build" -j2 --target fuzz_all

harnesses=("$@")
if [[ ${#harnesses[@]} -eq 0 ]]; then
    for program in "$build"/bin/fuzz/*; do
        [[ -x "$program" ]] && harnesses+=("$(basename "$program")")
    done
fi

artifacts="$build/fuzz-artifacts"
logs="$build/fuzz-logs"
mkdir -p "$artifacts" "$logs"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8

failed=()
for name in "${harnesses[@]}"; do
    program="$build/bin/fuzz/$name"
    if [[ ! -x "$program" ]]; then
        echo "fuzz.sh: no harness named $name" >&2
        failed+=("$name")
        continue
    fi
    work="$scratch/$name"
    mkdir -p "$work"
    if [[ -d "$here/fuzz/corpus/$name" ]]; then
        cp -R "$here/fuzz/corpus/$name/." "$work/"
    fi
    log="$logs/$name.log"
    status=0
    TMPDIR="$scratch" "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$name-" "$work" >"$log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    if [[ $status -ne 0 ]]; then
        echo "$name: FAILED after ${runs:-?} runs (exit $status); log: $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' "$log" | head -n 8 || true
        failed+=("$name")
    else
        echo "$name: ${runs:-?} runs in ${seconds} s, no findings"
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz.sh: findings in: ${failed[*]}" >&2
    exit 1
fi
