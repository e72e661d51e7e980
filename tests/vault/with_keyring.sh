#!/bin/sh
# Runs a test program inside a private D-Bus session with a gnome-keyring-daemon
# of its own, in a home of its own: the Secret Service path is tested for real
# and the user's keyring is never touched. The daemon ends with the session.
set -e
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP
dbus-run-session -- sh -c '
    printf keyring-of-the-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1
    QUILLARBOR_TEST_SESSION_BUS=1 exec "$@"' with-keyring "$@"
