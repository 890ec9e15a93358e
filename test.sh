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
