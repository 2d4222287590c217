# Shell helpers for running simulator windows on a private X server; source this file.
#
#   start_private_x [WxHxD]   starts Xvfb on a free display and exports DISPLAY
#   stop_private_x            ends it (also run on exit)

start_private_x() {
  local screen=${1:-1920x1200x24}
  _private_x_dir=$(mktemp -d)
  # Xvfb picks a free display itself and writes its number once it accepts connections.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$_private_x_dir/display" >/dev/null 2>&1 &
  _private_x_pid=$!
  trap stop_private_x EXIT
  for _ in $(seq 100); do
    [ -s "$_private_x_dir/display" ] && break
    sleep 0.1
  done
  if ! [ -s "$_private_x_dir/display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$_private_x_dir/display")"
}

stop_private_x() {
  if [ -n "${_private_x_pid:-}" ]; then
    kill "$_private_x_pid" 2>/dev/null || true
    wait "$_private_x_pid" 2>/dev/null || true
    _private_x_pid=""
  fi
  [ -n "${_private_x_dir:-}" ] && rm -rf "$_private_x_dir"
  _private_x_dir=""
}
