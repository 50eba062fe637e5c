# Shared by the end-to-end scripts; sourced, not run.

wait_for() {  # seconds command...: polls the command until it succeeds, or fails at the deadline
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
