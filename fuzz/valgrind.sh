#!/bin/bash
# fuzz/valgrind.sh TARGET [INPUT...] — runs a fuzz target once on each input
# (default: its seeds and corpus) under valgrind's memcheck, built without
# sanitizers: reads of memory that nothing wrote are reported, which ASan does
# not see and MSan could only see with Qt rebuilt under it.
set -euo pipefail
target=${1:?usage: fuzz/valgrind.sh fuzz_TARGET [INPUT...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_REPLAY_BUILD_DIR:-$root/build-fuzz-replay}
cmake -S "$root" -B "$build" -DMORVO_FUZZ=ON -DMORVO_FUZZ_REPLAY=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "$target" -j2
inputs=("$@")
if [ ${#inputs[@]} = 0 ]; then
  for folder in "$root/fuzz/seeds/$target/" "$root/fuzz/corpus/$target/"; do
    [ -d "$folder" ] && while IFS= read -r -d '' f; do inputs+=("$f"); done < <(find "$folder" -type f -print0)
  done
fi
export QT_QPA_PLATFORM=offscreen
exec valgrind --tool=memcheck --error-exitcode=1 --track-origins=yes --errors-for-leak-kinds=none \
    "$build/fuzz/$target" "${inputs[@]}"
