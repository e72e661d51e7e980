#!/usr/bin/env bash
# Builds the fuzz targets of the file readers with clang (build-fuzz/, once)
# and runs each for the given number of seconds (60 by default), two at a
# time, under AddressSanitizer with leak detection and UndefinedBehaviorSanitizer.
# Each run starts from a copy of the seed corpus in fuzz/corpus/<target>/, so
# the tree's corpus does not grow. Fails on any crash, leak, hang (10 s for
# one input) or memory exhaustion (2 GB), naming the input that caused it.
#
#   tools/run-fuzzers.sh [seconds] [target...]
#
# QUILL_FUZZ_BUILD (default build-fuzz) and QUILL_FUZZ_JOBS (default 2)
# choose the build folder and the parallel compile jobs.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
build=${QUILL_FUZZ_BUILD:-build-fuzz}
jobs=${QUILL_FUZZ_JOBS:-2}

all_targets=(backup_archive backup_manifest catalogue compound_document device_bitmap history_file icalendar
    idea_file link_categories plugin_record registry_store reminder_event sealed_values text_decoding vcard)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=("${all_targets[@]}"); fi

build_started=$(date +%s)
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    # A debug build, so that Qt's own checks of indices are on, at -O1 for speed.
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILL_FUZZ=ON -DQUILL_WERROR=ON \
        -DQUILL_BUILD_TESTS=OFF -DQUILL_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" "${launcher[@]}" >/dev/null || exit 1
fi
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}" || exit 1
echo "fuzz targets built in $(($(date +%s) - build_started)) s"

work=$build/fuzz-run
rm -rf "$work"
mkdir -p "$work"
export ASAN_OPTIONS="detect_leaks=1:handle_abort=1"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

dictionary_of() {
    case "$1" in
    registry_store | backup_manifest) echo "$root/fuzz/dict/json.dict" ;;
    vcard) echo "$root/fuzz/dict/vcard.dict" ;;
    icalendar) echo "$root/fuzz/dict/icalendar.dict" ;;
    esac
}

run_one() {
    local target=$1 dir=$work/$1
    mkdir -p "$dir/corpus" "$dir/found"
    cp -r "$root/fuzz/corpus/$target/." "$dir/corpus/"
    local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$dir/found/")
    local dictionary
    dictionary=$(dictionary_of "$target")
    if [ -n "$dictionary" ]; then options+=(-dict="$dictionary"); fi
    "$build/fuzzers/fuzz_$target" "${options[@]}" "$dir/corpus" >"$dir/log" 2>&1
    echo $? >"$dir/status"
}

run_started=$(date +%s)
running=0
for target in "${targets[@]}"; do
    if [ $running -ge 2 ]; then
        wait -n
        running=$((running - 1))
    fi
    echo "fuzzing $target for $seconds s"
    run_one "$target" &
    running=$((running + 1))
done
wait

failed=0
for target in "${targets[@]}"; do
    dir=$work/$target
    status=$(cat "$dir/status" 2>/dev/null || echo 1)
    found=$(find "$dir/found" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
    if [ "$status" != 0 ] || [ -n "$found" ]; then
        failed=1
        echo "FAILED: $target (exit status $status)"
        tail -n 60 "$dir/log"
        for input in $found; do
            echo "reproduce with: $build/fuzzers/fuzz_$target $input"
        done
    else
        echo "ok: $target, ${runs:-?} inputs"
    fi
done
echo "fuzzing took $(($(date +%s) - run_started)) s"
exit $failed
