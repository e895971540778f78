#!/usr/bin/env bash
# Runs a command inside a private D-Bus session with a Secret Service (gnome-keyring-daemon)
# whose login keyring is new and unlocked; the keyring files live in a throw-away folder.
#
#   with-keyring.sh COMMAND [ARGS...]
set -euo pipefail

if [ -z "${TESSALINE_IN_PRIVATE_BUS:-}" ]; then
    export TESSALINE_IN_PRIVATE_BUS=1
    exec dbus-run-session -- bash "$0" "$@"
fi

home="$(mktemp -d)"
trap 'kill "${keyring_pid:-}" 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# --unlock reads the password of the login keyring from standard input and creates it.
printf 'test-keyring' | gnome-keyring-daemon --foreground --unlock --components=secrets \
    >"$home/keyring.log" 2>&1 &
keyring_pid=$!
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
        grep -q 'boolean true' && break
    sleep 0.1
done
"$@"
