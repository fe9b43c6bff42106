#!/bin/bash
# Process under Wine, against xargs over the same lines: 8 images whose stand-in converter burns
# 500 ms of processor time each, 2 at once.
#   - Corvane: the Windows build's corvane_run_bench.exe, the window's own Process run, each
#     row's batch file through cmd (median of three runs, as it reports them);
#   - xargs: the same 8 converter lines, each in a one-line batch file run by Wine's cmd, two
#     at once by xargs -P2 (median of three);
#   - the price of starting any Windows program under Wine, which both pay once a line.
#
#   bench/wine_process_bench.sh [WINDOWS_BUILD_FOLDER]     (default: build-win)
#
# It uses the build's own Wine prefix (through its wine-run) and draws nothing on screen.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$repo/build-win}")
wine_run=$build/wine-run
converter=$build/tests/fake_imf_copy/imf_copy.exe
images=8
burn_ms=500
[ -x "$wine_run" ] || { echo "no $wine_run: configure a Windows build first" >&2; exit 1; }
[ -f "$converter" ] && [ -f "$build/bench/corvane_run_bench.exe" ] ||
    { echo "build corvane_run_bench and fake_imf_copy in $build first" >&2; exit 1; }

windows_path() { echo "Z:${1//\//\\}"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { # runs "$@", prints its wall time in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$wine_run" cmd /c exit 0 >/dev/null 2>&1 # the prefix and its server, up before timing
startup=$(for _ in 1 2 3 4 5; do seconds "$wine_run" cmd /c exit 0; done | median)

echo "| measurement | result |"
echo "|---|---|"
"$wine_run" "$build/bench/corvane_run_bench.exe" --batch-only --images $images \
    --burn-ms $burn_ms | grep -E '^\| [0-9]|^\| same|^\| machine|^\| all cores|^\| 1 at once' |
    sed 's/^| /| Corvane under Wine: /'

for i in $(seq 0 $((images - 1))); do
    cp "$repo/resources/images/logo.png" "$work/texture_$i.png"
    printf '@"%s" --burn-ms %d "%s" "%s"\r\n' "$(windows_path "$converter")" $burn_ms \
        "$(windows_path "$work/texture_$i.png")" "$(windows_path "$work/texture_$i.map")" \
        >"$work/row_$i.bat"
done
run_xargs() {
    rm -f "$work"/*.map
    ls "$work"/row_*.bat | xargs -P2 -I{} "$wine_run" cmd /c {}
    [ "$(ls "$work"/*.map | wc -l)" -eq $images ]
}
xargs_time=$(for _ in 1 2 3; do seconds run_xargs; done | median)
limit=$(awk -v n=$images -v t=$burn_ms 'BEGIN { print n * t / 1000 / 2 }')
printf '| xargs -P2 over the same lines, each through Wine'"'"'s cmd | %.2f s |\n' "$xargs_time"
printf '| the machine'"'"'s limit N x T / 2 cores | %.2f s |\n' "$limit"
printf '| xargs / limit | %.2f x |\n' "$(awk -v x="$xargs_time" -v l="$limit" 'BEGIN { print x / l }')"
printf '| starting a Windows program under Wine (cmd /c exit, median of 5) | %.2f s |\n' "$startup"
