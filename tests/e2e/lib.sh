# Shared by the end-to-end scripts; sourced, not run.

# A passed check, and a failed one that ends the script. Scripts that go on
# after a failure and count them define their own fail after sourcing this.
ok() { echo "ok: $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

wait_for() {  # seconds command...: polls the command until it succeeds, or fails at the deadline
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# pixlo ARGS...: runs "$exe" through "$wine_run", output in out.txt and
# err.txt, exit code in $status; fails when it does not end within
# $pixlo_timeout seconds (60 unless set).
pixlo() {
  local limit=${pixlo_timeout:-60}
  status=0
  timeout "$limit" "$wine_run" "$exe" "$@" >out.txt 2>err.txt || status=$?
  [ "$status" != 124 ] || fail "pixlo.exe $* did not end within $limit s"
}

# end_pid PID: ends a process this script started (nothing when PID is empty).
end_pid() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# start_xvfb WxH LOG [OPTION...]: starts a private Xvfb on a display number
# it picks itself, with any further Xvfb options, exports DISPLAY and sets
# xvfb_pid; fails when it does not come up.
start_xvfb() {
  local size=$1 log=$2 number
  shift 2
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "$@" 3>"$number" >"$log" 2>&1 &
  xvfb_pid=$!
  if ! wait_for 10 test -s "$number"; then
    rm -f "$number"
    echo "Xvfb did not start: $(cat "$log")" >&2
    return 1
  fi
  DISPLAY=":$(head -1 "$number")"
  export DISPLAY
  rm -f "$number"
}

# close_native_window WINDOW WHAT: closes the native program's WINDOW as a
# window manager does (the probe's WM_DELETE_WINDOW) and waits for the
# program, $pixlo_pid, to end with exit code 0; WHAT names the moment.
close_native_window() {
  "$probe" close "$1"
  expect_native_exit "$2"
}

# expect_native_exit WHAT: waits for the native program, $pixlo_pid, to end
# with exit code 0 after it was closed; WHAT names the moment.
expect_native_exit() {
  local code=0
  timeout 15 tail --pid="$pixlo_pid" -f /dev/null || fail "$mode: pixlo did not end within 15 s of closing $1"
  wait "$pixlo_pid" || code=$?
  pixlo_pid=""
  [ "$code" = 0 ] || fail "$mode: closing $1 ended with exit code $code: $(cat pixlo.err)"
}

# expect_colours PICTURE "X Y COLOUR WHAT"...: each pixel, read with the
# calling script's at(), must have its colour; fails at the first that does not.
expect_colours() {
  local picture=$1 line x y colour what got
  shift
  for line in "$@"; do
    read -r x y colour what <<<"$line"
    got=$(at "$picture" "$x" "$y")
    [ "$got" = "$colour" ] || fail "$mode: $what at $x,$y is $got, expected $colour"
  done
}
