#!/bin/bash
# Installs what is missing (Debian 12, as root or with sudo) and builds the
# program and its tests into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
need="build-essential cmake qt6-base-dev qt6-base-dev-tools libsqlite3-dev fonts-dejavu-core
      xvfb openbox xdotool x11-utils trayer xdg-utils python3 clang-format git
      libpq-dev postgresql qt6-svg-dev dpkg-dev fakeroot file lintian desktop-file-utils appstream time
      pkg-config mdbtools-dev"
# The window shell tells the X window manager a few things itself (libxcb).
need="$need libx11-dev libxcb1-dev"
# The desktops the end-to-end tests run on besides openbox: GNOME's compositor
# with XWayland and Qt's Wayland platform, a session bus, and the
# accessibility bus with what reads it as a screen reader does.
need="$need mutter xwayland qt6-wayland libgl1-mesa-dri dbus at-spi2-core python3-gi gir1.2-atspi-2.0"
missing=$(for p in $need; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$missing" ]; then
  sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
  # shellcheck disable=SC2086
  $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends $missing
fi
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j"$(nproc)"
