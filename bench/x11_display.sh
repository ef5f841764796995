# shellcheck shell=bash
# What the desktop measurements share, sourced by bench/desktop_measure.sh,
# bench/window_cost_measure.sh and bench/desktop_callgrind.sh (bash): a temporary folder, a
# private X server (Xvfb, 1024x768) with the openbox window manager, private settings for the
# programs, and waiting for a window by its name.
#   start_work_folder   sets `work` (a temporary folder, where the X server's log goes) and
#                       `pids` (processes to end), and ends those and removes the folder when
#                       the script exits
#   isolate_programs FILE...
#                       copies the programs into $work (so that a new profile goes there) and
#                       exports a private HOME, XDG folders and settings stores under $work,
#                       with Qt on X11
#   start_x11_display   starts both, exports DISPLAY and adds their ids to the caller's
#                       `pids` array (the caller ends them); returns once openbox manages
#                       the screen (or after 5 s)
#   wait_window PATTERN prints the first visible window whose name matches; exits the script
#                       when none shows within 30 s (xdotool's own --sync trips over windows
#                       that go away)

start_work_folder() {
  work=$(mktemp -d)
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
}

isolate_programs() {
  cp "$@" "${work:?}/"
  mkdir -m 700 "$work/run"
  export HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_STATE_HOME="$work/state" \
    CORVANE_USER_REGISTRY="$work/registry.ini" CORVANE_DEFAULT_REGISTRY="$work/default.ini" \
    CORVANE_SYSTEMCTL="" QT_QPA_PLATFORM=xcb
}

start_x11_display() {
  local fd display
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"${work:?}/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 10 display <&"$fd"
  exec {fd}>&-
  export DISPLAY=":$display"
  openbox >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

wait_window() {
  local found
  for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return; }
    sleep 0.1
  done
  echo "no window \"$1\" within 30 s" >&2
  exit 1
}
