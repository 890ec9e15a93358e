#!/bin/bash
# Sets up and starts Morvo II on the catalogue delivered beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session: starting Morvo II on a private X server (Xvfb) instead." >&2
  exec "$root/.ci/gui-env.sh" -- "$root/build/bin/morvo"
fi
exec "$root/build/bin/morvo"
