#!/bin/bash
# private-display.sh PROGRAM [ARGUMENT...]
# Runs PROGRAM on a private X server (Xvfb, with a window manager and a tray,
# see .ci/gui-env.sh) when there is no desktop session, and says how to look
# at it and how to stop it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck disable=SC2016 # expanded by the inner shell, on the private display
exec "$root/.ci/gui-env.sh" -- sh -c '
cat >&2 <<HINT
No desktop session: Morvo II runs on a private X server, display $DISPLAY.
To see it:
  a screenshot:  DISPLAY=$DISPLAY import -window root morvo.png   (package imagemagick)
  live:          x11vnc -display $DISPLAY -localhost, then a VNC viewer on localhost:5900   (package x11vnc)
To stop it: press Ctrl+C here, or run: kill $$
HINT
exec "$@"' morvo "$@"
