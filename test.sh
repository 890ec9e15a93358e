#!/bin/bash
# Sets up, builds and runs every test: unit and widget tests on the offscreen
# platform, then the end-to-end tests of the real program on a private X server
# with a window manager and a tray host, and those of what a person does on any
# desktop again on the other desktops (a missing part fails, it never skips).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
"$root/.ci/check-layers.py"
"$root/.ci/check-format.sh"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
QT_QPA_PLATFORM=offscreen ctest --test-dir "$root/build" -L offscreen --output-on-failure -j2
# The same suites again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the first finding fails. Qt keeps some memory to the end of the process on
# purpose, so leaks are not counted. (The package tests build the package.)
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVO_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" -j"$(nproc)" --target offscreen_tests
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
  ctest --test-dir "$root/build-sanitize" -L offscreen -E "package|rebuild|mistyped" --output-on-failure -j2
# A private PostgreSQL server for the suites that run against a catalogue on a
# server, and for the end-to-end tests (one of them drives the program on it).
"$root/.ci/pg-env.sh" -- bash -c '
  ctest --test-dir "$0/build" -L postgres --output-on-failure -j2 &&
  MORVO_REQUIRE=x11,wm,tray,postgres,atspi "$0/.ci/gui-env.sh" -- ctest --test-dir "$0/build" -L gui --output-on-failure -j1' "$root"
# What a person does on any desktop, again on the others: openbox without a
# tray, and GNOME's compositor with programs on XWayland and on Wayland.
for desktop in "--no-tray" "--desktop mutter-x11" "--desktop mutter-wayland"; do
  # shellcheck disable=SC2086
  MORVO_REQUIRE=x11,atspi "$root/.ci/gui-env.sh" $desktop -- \
    ctest --test-dir "$root/build" -L desktops --output-on-failure -j1
done
