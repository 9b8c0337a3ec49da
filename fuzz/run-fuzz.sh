#!/bin/sh
# Runs one fuzz target on its corpus for a number of minutes:
#
#     fuzz/run-fuzz.sh TARGET [MINUTES]      e.g. fuzz/run-fuzz.sh image_metafile 10
#
# MINUTES (default 10) may have a fraction (2.5).
#
# TARGET is the part of fuzz/fuzz_TARGET.cpp after "fuzz_" (also the name of
# its corpus folder tests/corpus/TARGET). The first run configures a clang
# build with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz/ (BOXORA_FUZZ_BUILD chooses another folder); every run builds
# the target and the decoding helper. New inputs go to
# build-fuzz/fuzz-work/TARGET, crashes to build-fuzz/fuzz-crashes/TARGET/; the
# seeds in tests/corpus stay as they are. Copy a reproducer into
# tests/corpus/TARGET/ and the normal build replays it as a test.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 TARGET [MINUTES]" >&2
    exit 2
fi
target=$1
minutes=${2:-10}
seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BOXORA_FUZZ_BUILD:-$root/build-fuzz}
corpus=$root/tests/corpus/$target
if [ ! -f "$root/fuzz/fuzz_$target.cpp" ] || [ ! -d "$corpus" ]; then
    echo "$0: no fuzz target $target (fuzz/fuzz_$target.cpp with tests/corpus/$target/)" >&2
    exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=""
    if command -v ccache >/dev/null 2>&1; then
        launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    fi
    # shellcheck disable=SC2086
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBOXORA_FUZZ=ON -DBOXORA_SANITIZE=address,undefined -DBOXORA_BUILD_GUI=OFF -DBOXORA_BUILD_BENCH=OFF \
        $launcher
fi
cmake --build "$build" --target "fuzz_$target" boxora-decode -- -j"${FUZZ_BUILD_JOBS:-2}"

work=$build/fuzz-work/$target
crashes=$build/fuzz-crashes/$target
mkdir -p "$work" "$crashes"
# Leaks inside system libraries (fontconfig, Mesa) are not ours to fix.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# The decoding helper and the data folders of this build.
export BOXORA_HOME="$build/app"
exec "$build/fuzz/fuzz_$target" "$work" "$corpus" -rss_limit_mb=2048 -timeout=10 \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/"
