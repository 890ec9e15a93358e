#!/bin/bash
# gui-env.sh [--desktop openbox|mutter-x11|mutter-wayland] [--no-wm] [--no-tray] -- CMD...
# Runs CMD on a private X server (Xvfb) with a session bus and a desktop, each
# started once the one before is ready; stops them all on exit and passes
# CMD's exit code on.
#   openbox         openbox, and the tray host trayer unless --no-tray
#   mutter-x11      GNOME's compositor nested on the X server; programs run on
#                   its XWayland (DISPLAY), as on a stock GNOME session
#   mutter-wayland  the same, programs on its Wayland display (qt6-wayland)
# GNOME's compositor brings no tray. Under mutter, DISPLAY is XWayland's and
# MORVO_SCREEN_DISPLAY the X server that shows the compositor and takes the
# keyboard and mouse (xdotool, screenshots).
set -uo pipefail
desktop=openbox wm=1 tray=1
while [ $# -gt 0 ]; do
  case $1 in
    --desktop) desktop=$2; shift;;
    --no-wm) wm=0;;
    --no-tray) tray=0;;
    --) shift; break;;
    *) break;;
  esac
  shift
done
case $desktop in openbox|mutter-x11|mutter-wayland) ;; *) echo "gui-env: unknown desktop $desktop" >&2; exit 2;; esac
[ "$desktop" = openbox ] || tray=0
LOG=$(mktemp -d /tmp/gui-env.XXXXXX)
export XDG_RUNTIME_DIR=$LOG/runtime; mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM XDG_SESSION_TYPE XAUTHORITY
pids=()
stop() { for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[i]}" 2>/dev/null; done; wait "${pids[@]}" 2>/dev/null; }
trap stop EXIT
wait_for() { # wait_for SECONDS CMD... (polls every 50 ms)
  local end=$(( $(date +%s%N) + $1 * 1000000000 )); shift
  until "$@" >/dev/null 2>&1; do
    if [ "$(date +%s%N)" -ge "$end" ]; then echo "gui-env: timeout waiting for: $*" >&2; tail -n 20 "$LOG"/*.log >&2; return 1; fi
    sleep 0.05
  done
}
tray_owned() { python3 - <<'PY'
import ctypes, ctypes.util, sys
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p; x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong; x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong; x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)) else 1)
PY
}
# -noreset: without it openbox sometimes fails to connect.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$LOG/display" 2>"$LOG/xvfb.log" &
pids+=($!)
wait_for 10 test -s "$LOG/display" || exit 90
export DISPLAY=":$(head -n1 "$LOG/display")"
# A session bus, as every desktop session has: trays, the accessibility bus.
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$LOG/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
wait_for 10 test -S "$XDG_RUNTIME_DIR/bus" || exit 93
# The accessibility bus a screen reader uses, up before any program starts
# (a program looks for it once, as it starts).
if [ -x /usr/libexec/at-spi-bus-launcher ]; then
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
fi
export MORVO_DESKTOP=$desktop MORVO_SCREEN_DISPLAY=$DISPLAY
if [ "$desktop" = openbox ] && [ $wm = 1 ]; then
  openbox --sm-disable >"$LOG/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || exit 91
fi
if [ $tray = 1 ]; then
  trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 >"$LOG/trayer.log" 2>&1 &
  pids+=($!)
  wait_for 10 tray_owned || exit 92
elif [ "$desktop" = openbox ]; then
  MORVO_DESKTOP=openbox-notray
fi
if [ "$desktop" != openbox ]; then
  # One output the size of the X server, so that screen and input agree.
  MUTTER_DEBUG_DUMMY_MODE_SPECS=1280x1024 MUTTER_DEBUG_DUMMY_MONITOR_SCALES=${MORVO_MUTTER_SCALE:-1} \
    mutter --wayland --nested --wayland-display=morvo-wayland --sm-disable >"$LOG/mutter.log" 2>&1 &
  pids+=($!)
  wait_for 20 sh -c "grep -q 'Using public X11 display' '$LOG/mutter.log' && ls '$XDG_RUNTIME_DIR'/.mutter-Xwaylandauth.*" || exit 94
  export XAUTHORITY
  XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n1)
  DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$LOG/mutter.log" | head -n1)
  wait_for 20 xprop -root _NET_SUPPORTING_WM_CHECK || exit 95
  if [ "$desktop" = mutter-wayland ]; then
    # A full path: programs under test may have runtime folders of their own.
    export WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/morvo-wayland
    export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
  else
    # As on a stock GNOME session, whose Qt has no Wayland plugin: Qt would
    # try a Wayland display first where it finds one.
    export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb
  fi
fi
"$@"
rc=$?
[ $rc = 0 ] && rm -rf "$LOG" || echo "gui-env: logs kept in $LOG" >&2
exit $rc
