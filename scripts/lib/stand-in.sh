# Shared by the scripts: the stand-in photo service on free loopback ports,
# detached from the caller's pipes, its state in a folder of the caller's.

# quillon_stand_in_start ROOT STATE_DIR FIXTURE [SECONDS]
#   Starts tools/photo-service/serve.py with FIXTURE's data in STATE_DIR/photo-service
#   and waits (up to SECONDS, 60 unless given) for its ready file. Writes
#   STATE_DIR/photo.pid and sets QUILLON_STAND_IN_HTTP and QUILLON_STAND_IN_HTTPS
#   to its base addresses. Returns 1, naming its log, when it did not start.
quillon_stand_in_start() {
  local root=$1 state=$2 fixture=$3 seconds=${4:-60}
  mkdir -p "$state"
  rm -f "$state/photo.ready"
  setsid python3 "$root/tools/photo-service/serve.py" --data "$state/photo-service" --fixture "$fixture" \
    --http-port 0 --https-port 0 --ready-file "$state/photo.ready" </dev/null >"$state/photo.log" 2>&1 &
  echo $! >"$state/photo.pid"
  local _
  for _ in $(seq $((seconds * 10))); do
    [ -s "$state/photo.ready" ] && break
    kill -0 "$(cat "$state/photo.pid")" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$state/photo.ready" ]; then
    echo "the stand-in service did not start (see $state/photo.log)" >&2
    return 1
  fi
  QUILLON_STAND_IN_HTTP=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["http"])' "$state/photo.ready")
  QUILLON_STAND_IN_HTTPS=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["https"])' "$state/photo.ready")
}

# quillon_stand_in_stop STATE_DIR   Ends the stand-in that STATE_DIR/photo.pid names.
quillon_stand_in_stop() {
  local pidfile=$1/photo.pid pid _
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  rm -f "$pidfile"
}
