#!/bin/bash
# gui-env.sh [--no-wm] [--no-tray] -- CMD...
# Runs CMD on a private X server (Xvfb) with a window manager (openbox) and a
# tray host (trayer), each started once the one before is ready; stops them all
# on exit and passes CMD's exit code on.
set -uo pipefail
wm=1 tray=1
while [ $# -gt 0 ]; do case $1 in --no-wm) wm=0;; --no-tray) tray=0;; --) shift; break;; *) break;; esac; shift; done
LOG=$(mktemp -d /tmp/gui-env.XXXXXX)
export XDG_RUNTIME_DIR=$LOG/runtime; mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
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
if [ $wm = 1 ]; then
  openbox --sm-disable >"$LOG/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || exit 91
fi
if [ $tray = 1 ]; then
  trayer --edge bottom --align right --widthtype pixel --width 200 --height 32 >"$LOG/trayer.log" 2>&1 &
  pids+=($!)
  wait_for 10 tray_owned || exit 92
fi
"$@"
rc=$?
[ $rc = 0 ] && rm -rf "$LOG" || echo "gui-env: logs kept in $LOG" >&2
exit $rc
