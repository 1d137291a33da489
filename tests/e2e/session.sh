#!/usr/bin/env bash
# Runs a command inside a private desktop session: an Xvfb display, a D-Bus
# session bus with the AT-SPI bus switched on, and openbox as the window manager.
# Everything it starts is stopped again; the exit status is the command's.
#
#   tests/e2e/session.sh ctest --test-dir build -L e2e --output-on-failure
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
readonly wait_seconds=20

fail() {
    echo "session.sh: $*" >&2
    exit 125
}

# Polls a shell condition every 50 ms until it holds or the time runs out.
wait_for() {
    local what=$1
    shift
    local deadline=$((SECONDS + wait_seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what."
        sleep 0.05
    done
}

if [ "${1-}" = "--inside-bus" ]; then
    # Second stage, run by dbus-run-session: the session bus is up.
    shift
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null || fail "the AT-SPI bus did not start."
    # Without --print-reply the property is not set before dbus-send exits.
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
        variant:boolean:true >/dev/null || fail "could not switch accessibility on."

    # Now and then openbox cannot open a display that other clients reach
    # (seen about once in fifteen starts): it exits at once and is started again.
    wm=""
    deadline=$((SECONDS + wait_seconds))
    until xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        if [ -z "$wm" ] || ! kill -0 "$wm" 2>/dev/null; then
            [ -z "$wm" ] || wait "$wm" 2>/dev/null
            openbox --sm-disable >>"$QUILLCRAFT_SESSION_DIR/openbox.log" 2>&1 &
            wm=$!
        fi
        if [ $SECONDS -ge $deadline ]; then
            cat "$QUILLCRAFT_SESSION_DIR/openbox.log" >&2
            fail "timed out waiting for the window manager."
        fi
        sleep 0.05
    done

    "$@"
    status=$?
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    exit $status
fi

[ $# -gt 0 ] || { echo "usage: session.sh command [argument...]" >&2; exit 2; }
for tool in Xvfb dbus-run-session dbus-send openbox xprop xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see scripts/packages.txt)."
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillcraft-session.XXXXXX") || fail "no temporary directory."
xvfb=""
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -m 0700 "$dir/runtime" "$dir/config" "$dir/cache"
export XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache"
export GSETTINGS_BACKEND=memory QUILLCRAFT_SESSION_DIR="$dir"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER

# Xvfb writes the display number to the descriptor once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
wait_for "the X server" test -s "$dir/display"
export DISPLAY=":$(head -n1 "$dir/display")"
wait_for "the X server to accept clients" xprop -root

# The bus daemons (the session's and the AT-SPI one it starts) write their
# chatter to a log instead of the command's standard error.
cat >"$dir/dbus-daemon" <<EOF_DAEMON
#!/bin/sh
exec dbus-daemon "\$@" 2>>"$dir/dbus.log"
EOF_DAEMON
chmod +x "$dir/dbus-daemon"
dbus-run-session --dbus-daemon="$dir/dbus-daemon" -- "$here/session.sh" --inside-bus "$@"
exit $?
