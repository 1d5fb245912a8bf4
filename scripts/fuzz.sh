#!/usr/bin/env bash
# Builds every libFuzzer target with clang 14 (ASan + UBSan) and fuzzes each one for a
# bounded time on a scratch copy of its seed corpus. Any finding fails the script; the
# crashing input is kept under build-fuzz/artifacts/.
#
# Usage: scripts/fuzz.sh [seconds per target, default 60]
# TARGETS="lwo lws" limits the run to those targets (one fuzzing process each, in turn).
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
jobs="${JOBS:-2}"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DTATAMIX_FUZZ=ON -DTATAMIX_TESTS=OFF -DTATAMIX_BENCH=OFF
status=0
# Keep going past a target that fails to build, so the others still get fuzzed.
if ! cmake --build "$build" --target fuzz_all -j"$jobs" -- -k 0; then
    echo "=== Some fuzz targets failed to build" >&2
    status=1
fi

mkdir -p "$build/artifacts"
shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
    echo "No fuzz targets were built." >&2
    exit 1
fi
for binary in "${targets[@]}"; do
    name="$(basename "$binary" _fuzz)"
    if [ -n "${TARGETS:-}" ] && [[ " $TARGETS " != *" $name "* ]]; then
        continue
    fi
    scratch="$(mktemp -d)"
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp -r "$root/fuzz/corpus/$name/." "$scratch/"
    fi
    # Seed folders outside the repository (fuzz/<name>.seeds), flattened into the scratch copy.
    if [ -f "$root/fuzz/$name.seeds" ]; then
        while IFS= read -r dir; do
            case "$dir" in '' | '#'*) continue ;; esac
            [ -d "$dir" ] || continue
            find "$dir" -type f -size -1024k | while IFS= read -r file; do
                cp "$file" "$scratch/seed_$(printf '%s' "$file" | md5sum | cut -c1-12)"
            done
        done <"$root/fuzz/$name.seeds"
    fi
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
             -artifact_prefix="$build/artifacts/$name-")
    if [ -f "$root/fuzz/$name.dict" ]; then
        options+=(-dict="$root/fuzz/$name.dict")
    fi
    echo "=== Fuzzing $name for $seconds s"
    if ! "$binary" "${options[@]}" "$scratch"; then
        echo "=== FINDING in $name (see $build/artifacts/)" >&2
        status=1
    fi
    rm -rf "$scratch"
done
exit $status
