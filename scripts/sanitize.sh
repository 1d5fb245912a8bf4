#!/usr/bin/env bash
# CI's sanitizer job: the program and the tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14) run the test suite and a 30-second excerpt of the show.
# Leaks inside Mesa's driver and libX11 are suppressed (scripts/lsan-suppressions.txt); any
# other finding fails the job.
#
# It builds in build-fuzz/ with the fuzzing build's flags, so after scripts/fuzz.sh the
# libraries are already compiled and only the program and the tests are left to build.
#
# Usage: scripts/sanitize.sh        (needs the generated data/, e.g. after `make test`)
# LABELS="unit|e2e" limits the suite to those CTest labels (a regular expression).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
jobs="${JOBS:-2}"
# The same flags as scripts/fuzz.sh: the objects of both jobs are the same.
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DTATAMIX_FUZZ=ON -DTATAMIX_TESTS=ON -DTATAMIX_BENCH=OFF -DTATAMIX_SOUND_TSAN_TEST=OFF >/dev/null
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Mesa loads its driver at run time and unloads it at exit, before the leak report: frames in
# an unloaded library cannot be named, so no suppression could match them. Preloaded, the
# driver stays mapped and its leaks are suppressed by name like libX11's.
driver="$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)"
if [ -n "$driver" ]; then export LD_PRELOAD="$driver"; fi

echo "=== Test suite under AddressSanitizer + UndefinedBehaviorSanitizer"
(cd "$build" && ctest -j 2 --output-on-failure ${LABELS:+-L "$LABELS"})

echo "=== Thirty seconds of the show (20 s to 50 s) under AddressSanitizer + UndefinedBehaviorSanitizer"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data"
for entry in "$root"/data/*; do
    [ "$(basename "$entry")" = script.xml ] || ln -s "$entry" "$scratch/data/"
done
# The same show, its root ending at 50 s, played from 20 s: thirty seconds that take in the
# switch from the hardware table to the outdoor stage (46 s); the first 20 s are stepped.
sed -E '0,/<demo /s/(<demo [^>]*end=")[^"]*"/\150"/' "$root/data/script.xml" >"$scratch/data/script.xml"
wrap=()
if [ -z "${DISPLAY:-}" ]; then wrap=(xvfb-run -a -s "-screen 0 1280x720x24 -noreset"); fi
(cd "$scratch" && "${wrap[@]}" "$build/tatamix" -d data -start 20 -capture frames -fps 5 -res 320x180 -seed 1 >show.log 2>&1) || {
    tail -n 60 "$scratch/show.log"
    echo "=== The show excerpt failed under the sanitizers" >&2
    exit 1
}
frames=$(find "$scratch/frames" -name 'frame_*.png' | wc -l)
echo "=== Show excerpt: $frames frames, no sanitizer findings"
