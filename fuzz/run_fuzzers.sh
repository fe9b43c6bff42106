#!/bin/bash
# Builds the scene readers' fuzz targets with clang-14 and runs each for
# SECONDS, two at a time (the project's machines have two cores). Any crash,
# hang (an input taking over 10 s), sanitizer report or leak fails the run.
# Prints each target's executions per second.
#
#   run_fuzzers.sh SOURCE_DIR WORK_DIR WRITE_SEEDS [SECONDS]
#
# Exits 77 (skipped) when clang++-14 or libFuzzer is missing, unless CI is set.
set -u
source_dir=$1
work=$2
write_seeds=$3
seconds=${4:-60}
targets=(maya_ascii usd_ascii materialx path_list)

missing() {
    echo "skipped: $1"
    [ -n "${CI:-}" ] && exit 1
    exit 77
}
command -v clang++-14 >/dev/null || missing "clang++-14 is not installed"
ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1 ||
    missing "libFuzzer (libfuzzer-14-dev) is not installed"

mkdir -p "$work"
if ! cmake -S "$source_dir/fuzz" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++-14 >"$work/configure.log" 2>&1; then
    cat "$work/configure.log"
    exit 1
fi
if ! cmake --build "$work/build" -j2 >"$work/build.log" 2>&1; then
    tail -50 "$work/build.log"
    exit 1
fi
rm -rf "$work/seeds" "$work/artifacts"
mkdir -p "$work/artifacts"
"$write_seeds" "$work/seeds" || { echo "could not write the seeds"; exit 1; }

run() { # target: fuzzes into a corpus of its own, grown from the seeds
    local target=$1
    mkdir -p "$work/corpus/$target"
    "$work/build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/artifacts/$target-" \
        "$work/corpus/$target" "$work/seeds/$target" >"$work/$target.log" 2>&1
}

failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        run "$target" &
        pids+=($!)
    done
    for j in "${!pids[@]}"; do
        target=${targets[i + j]}
        if ! wait "${pids[j]}"; then
            failed=1
            echo "fuzz_$target FAILED:"
            grep -E "ERROR|SUMMARY|runtime error|Test unit written" "$work/$target.log" | head -20
            tail -30 "$work/$target.log"
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target.log")
        units=$(ls "$work/corpus/$target" | wc -l)
        rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/$target.log")
        echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, ${rate:-?} exec/s, corpus ${units} units, peak ${rss:-?} MB"
    done
done
exit $failed
