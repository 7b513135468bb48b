#!/usr/bin/env bash
# make run: the game server and the web gateway together, from the programs
# built in BUILD_DIR (default build). RUN_DIR, GAME_PORT and WEB_PORT change
# the game's folder and the two ports (for the tests).
#
# The server plays run/ (a copy of game/ made the first time) on port 9090,
# with idle limits a person typing a login by hand can meet; the gateway
# serves the page of web/ on port 8080 and relays it to the server. Ctrl-C,
# SIGTERM or SIGHUP stops both with one SIGTERM each and waits for them (the
# server saves every player); when either stops on its own, the other is
# stopped too. The exit code is 0 after a stop that was asked for and that both
# made cleanly, 1 otherwise.
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
case "$BUILD_DIR" in
  /*) ;;
  *) BUILD_DIR=$PWD/$BUILD_DIR ;;
esac
for P in royaumes-server royaumes-web; do
  [ -x "$BUILD_DIR/$P" ] || { echo "run: $BUILD_DIR/$P is not built (make build)" >&2; exit 1; }
done
RUN_DIR=${RUN_DIR:-run}
GAME_PORT=${GAME_PORT:-9090}
WEB_PORT=${WEB_PORT:-8080}
if [ ! -d "$RUN_DIR" ]; then cp -R game "$RUN_DIR" && echo "Prepared $RUN_DIR/ from game/"; fi

# Each program gets a session of its own: Ctrl-C reaches this script alone,
# and each program is asked to stop exactly once, below.
STOP=""
trap 'STOP=signal' INT TERM HUP
(cd "$RUN_DIR" && exec setsid "$BUILD_DIR/royaumes-server" --port "$GAME_PORT" --idle-busy 60 \
  --idle-quiet 300) </dev/null &
SERVER=$!
setsid "$BUILD_DIR/royaumes-web" --www web --dir "$RUN_DIR" --listen "0.0.0.0:$WEB_PORT" \
  --game "127.0.0.1:$GAME_PORT" </dev/null &
WEB=$!
declare -A NAME=([$SERVER]="the game server" [$WEB]="the web gateway")

# Whether process $1 is still running: one that has ended and is not yet
# waited for is a zombie (state Z), which kill -0 would still find.
running() {
  local STAT
  STAT=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  STAT=${STAT##*) }
  [ "${STAT:0:1}" != Z ]
}

# The banner comes after the programs' first lines, once both still run.
sleep 1 || true
if [ -z "$STOP" ] && running "$SERVER" && running "$WEB"; then
  cat <<BANNER

Play in a browser: http://localhost:$WEB_PORT/
  accounts: demo (password demo), alice (merveille), bob (secret)
  or with a line client: telnet localhost $GAME_PORT, or nc -C localhost $GAME_PORT
Ctrl-C stops the server (which saves every player) and the gateway.

BANNER
fi

# Waits for a signal or for the first program to end.
GONE=""
CODE=0
while [ -z "$STOP" ] && [ -z "${GONE:-}" ]; do
  wait -n -p GONE "$SERVER" "$WEB"
  CODE=$?
done
RESULT=0
if [ -n "${GONE:-}" ]; then
  echo "run: ${NAME[$GONE]} stopped (exit code $CODE): stopping the other" >&2
  RESULT=1
fi
trap 'echo "run: still stopping (the server saves every player)" >&2' INT TERM HUP
for P in "$WEB" "$SERVER"; do
  if [ "$P" != "${GONE:-}" ]; then
    kill -TERM "$P" 2>/dev/null
    wait "$P"
    C=$?
    # A wait cut short by a signal is taken up again until the program ends.
    while [ $C -gt 128 ] && kill -0 "$P" 2>/dev/null; do
      wait "$P"
      C=$?
    done
    if [ $C -ne 0 ]; then
      echo "run: ${NAME[$P]} ended with exit code $C" >&2
      RESULT=1
    fi
  fi
done
exit $RESULT
