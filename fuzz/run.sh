#!/bin/bash
# fuzz/run.sh TARGET SECONDS [LIBFUZZER OPTION...] — builds the libFuzzer target with clang, ASan and UBSan
# and runs it for the given time on its corpus (seeded from fuzz/seeds/TARGET if present).
set -euo pipefail
target=${1:?usage: fuzz/run.sh fuzz_TARGET SECONDS}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DMORVO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "$target" -j2
corpus=$root/fuzz/corpus/$target
mkdir -p "$corpus" "$root/fuzz/artifacts"
seeds=()
[ -d "$root/fuzz/seeds/$target" ] && seeds=("$root/fuzz/seeds/$target")
export QT_QPA_PLATFORM=offscreen
exec "$build/fuzz/$target" "$corpus" "${seeds[@]}" -max_total_time="$seconds" \
    -artifact_prefix="$root/fuzz/artifacts/" -print_final_stats=1 -rss_limit_mb=2048 "${@:3}"
