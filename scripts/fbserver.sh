#!/usr/bin/env bash
# Private Firebird server for the demo and the tests.
#
#   fbserver.sh start|stop|status|env ROOT
#
# Everything the server needs (configuration, security database, lock and
# temporary folders, the character-set library) lives under ROOT, which is a
# folder of the build tree. The system's own Firebird service is never used.
# The server listens on 127.0.0.1:3060, the suite's port, and knows the one
# user SYSDBA with the suite's built-in password.
set -euo pipefail

readonly PORT=3060
readonly HOST=127.0.0.1
readonly PASSWORD=zorquemit
readonly FB_LIB=/usr/lib/x86_64-linux-gnu/firebird/3.0
readonly FB_ETC=/etc/firebird/3.0
readonly SERVER_BIN=/usr/sbin/firebird

die() { echo "fbserver: $*" >&2; exit 1; }

[ $# -eq 2 ] || die "usage: $0 start|stop|status|env ROOT"
cmd=$1
mkdir -p "$2"
ROOT=$(cd "$2" && pwd)
readonly ROOT PIDFILE="$ROOT/server.pid"

server_env() {
    unset ISC_USER ISC_PASSWORD
    export FIREBIRD="$ROOT" FIREBIRD_LOCK="$ROOT/lock" FIREBIRD_TMP="$ROOT/tmp"
}

# The pid of our server when it runs, else nothing.
running_pid() {
    [ -f "$PIDFILE" ] || return 0
    local pid
    pid=$(cat "$PIDFILE")
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null \
        && [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$SERVER_BIN" ]; then
        echo "$pid"
    fi
}

port_open() { (exec 3<>"/dev/tcp/$HOST/$PORT") 2>/dev/null; }

# Runs a check until it succeeds, at most TRIES times, SECONDS apart.
retry() {
    local tries=$1 seconds=$2
    shift 2
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep "$seconds"
    done
    return 1
}

ended() { ! kill -0 "$1" 2>/dev/null; }

# The server started as PID listens; one that ended at start-up is reported.
listening() {
    if ended "$1"; then
        rm -f "$PIDFILE"
        die "the server ended at start-up: $(tail -n 5 "$ROOT/server.out")"
    fi
    port_open
}

# Who holds the port, as far as the machine can tell.
port_holder() {
    if command -v ss >/dev/null 2>&1; then
        ss -ltnpH "sport = :$PORT" 2>/dev/null | sed -n 's/.*users:((\(.*\)))/\1/p' | head -n 1
    fi
}

prepare_root() {
    [ -x "$SERVER_BIN" ] || die "$SERVER_BIN is missing (install firebird3.0-server)"
    mkdir -p "$ROOT/lock" "$ROOT/tmp" "$ROOT/intl"
    cat >"$ROOT/firebird.conf" <<CONF
RemoteServicePort = $PORT
RemoteBindAddress = $HOST
ServerMode = Super
SecurityDatabase = $ROOT/security3.fdb
TempDirectories = $ROOT/tmp
DatabaseAccess = Full
UdfAccess = None
AuthServer = Srp
AuthClient = Srp
UserManager = Srp
WireCrypt = Enabled
GuardianOption = 0
CONF
    printf 'security.db = %s/security3.fdb\n{\n    RemoteAccess = false\n}\n' "$ROOT" >"$ROOT/databases.conf"
    cp -f "$FB_ETC/plugins.conf" "$ROOT/plugins.conf"
    cp -f "$FB_LIB/firebird.msg" "$ROOT/firebird.msg"
    # A symbolic link to the library loads, but then knows no character set
    # but NONE: it has to be a real copy, with its configuration beside it.
    cp -fL "$FB_LIB/intl/libfbintl.so" "$ROOT/intl/libfbintl.so"
    cp -fL "$FB_LIB/intl/fbintl.conf" "$ROOT/intl/fbintl.conf"

    if [ ! -f "$ROOT/security3.fdb" ]; then
        (
            server_env
            echo "create database '$ROOT/security3.fdb'; exit;" | isql-fb -q -user SYSDBA >/dev/null
            printf "create user SYSDBA password '%s' using plugin Srp;\ncommit;\nexit;\n" "$PASSWORD" \
                | isql-fb -q -user SYSDBA "$ROOT/security3.fdb" >/dev/null
        ) || { rm -f "$ROOT/security3.fdb"; die "could not create the security database in $ROOT"; }
    fi
}

start() {
    if [ -n "$(running_pid)" ]; then
        echo "fbserver: already running (pid $(running_pid)) on $HOST:$PORT"
        return 0
    fi
    if port_open; then
        local holder
        holder=$(port_holder)
        die "port $PORT on $HOST is held by another process${holder:+ ($holder)}; stop it first"
    fi
    prepare_root
    # No -p: with it the server ignores RemoteBindAddress and listens everywhere.
    local pid
    pid=$(server_env; cd "$ROOT" && { setsid "$SERVER_BIN" >"$ROOT/server.out" 2>&1 </dev/null & echo $!; })
    echo "$pid" >"$PIDFILE"
    if retry 200 0.05 listening "$pid"; then
        echo "fbserver: started (pid $pid) on $HOST:$PORT, root $ROOT"
        return 0
    fi
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$PIDFILE"
    die "the server did not open port $PORT within 10 s"
}

stop() {
    local pid
    pid=$(running_pid)
    if [ -z "$pid" ]; then
        rm -f "$PIDFILE"
        echo "fbserver: not running"
        return 0
    fi
    kill -TERM "$pid" 2>/dev/null || true
    if ! retry 150 0.1 ended "$pid"; then
        kill -KILL "$pid" 2>/dev/null || true
        sleep 0.2
    fi
    rm -f "$PIDFILE"
    echo "fbserver: stopped"
}

status() {
    local pid
    pid=$(running_pid)
    [ -n "$pid" ] || { echo "fbserver: not running"; return 3; }
    echo "fbserver: running (pid $pid) on $HOST:$PORT, root $ROOT"
}

case "$cmd" in
    start) start ;;
    stop) stop ;;
    status) status ;;
    env) server_env; printf 'export FIREBIRD=%q FIREBIRD_LOCK=%q FIREBIRD_TMP=%q\n' "$FIREBIRD" "$FIREBIRD_LOCK" "$FIREBIRD_TMP" ;;
    *) die "unknown command '$cmd' (start, stop, status or env)" ;;
esac
