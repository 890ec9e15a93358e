#!/bin/bash
# Sets up, builds and runs every test: unit and widget tests on the offscreen
# platform, then the end-to-end tests of the real program on a private X server
# with a window manager and a tray host (a missing one fails, it never skips).
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
  MORVO_REQUIRE=x11,wm,tray,postgres "$0/.ci/gui-env.sh" -- ctest --test-dir "$0/build" -L gui --output-on-failure -j1' "$root"
