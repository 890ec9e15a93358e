#!/bin/bash
# Sets up and starts Morvo II on the catalogue delivered beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/scripts/private-display.sh" "$root/build/bin/morvo"
fi
exec "$root/build/bin/morvo"
