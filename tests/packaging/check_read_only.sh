#!/bin/sh
# The installed program run by a user who cannot write its folder: installed
# into a root-owned prefix (mode 0755), started through bin/quillarbor as
# "nobody" under Xvfb with a home of its own, it must show its main window,
# keep everything it writes in that home, and leave the prefix as it was.
# Usage: check_read_only.sh <build folder> <version>
set -eu
build=$1
version=$2

if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root, to install as root and run the program as another user"
    exit 77
fi
for tool in setpriv Xvfb xdotool xwininfo desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (tools/install-deps.sh --tests)" >&2; exit 1; }
done
user=nobody
group=$(id -gn "$user")

scratch=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 0755 "$scratch"

# The space in the prefix also checks the quoting of the autostart entry.
prefix="$scratch/system root/usr"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log" >&2; exit 1; }
chown -R root:root "$scratch/system root"
chmod -R go-w "$scratch/system root"
chmod 0755 "$scratch/system root" "$prefix"
listing() {
    find "$prefix" -printf '%p %y %m %U %s %T@\n' | sort
}
listing >"$scratch/before"

home="$scratch/home"
mkdir -p "$home/.config/Quillarbor" "$scratch/run"
# Not a first start: the first-run window would ask to visit the maker's site.
cat >"$home/.config/Quillarbor/registry.json" <<JSON
{"keys": [{"name": "Software\\\\Quillarbor\\\\install",
           "values": [{"name": "version", "type": "REG_SZ", "data": "$version"}]}]}
JSON
chown -R "$user:$group" "$home" "$scratch/run"
chmod 0700 "$home" "$scratch/run"

exec 3>"$scratch/display"
Xvfb -displayfd 3 -nolisten tcp -ac -screen 0 1280x1024x24 >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
display=":$(cat "$scratch/display")"

setpriv --reuid="$user" --regid="$group" --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 DISPLAY="$display" QT_QPA_PLATFORM=xcb \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" \
    XDG_RUNTIME_DIR="$scratch/run" \
    "$prefix/bin/quillarbor" >"$scratch/program.log" 2>&1 &
program_pid=$!

caption="Quillarbor $version - $user"
shown=
for _ in $(seq 300); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        cat "$scratch/program.log" >&2
        echo "FAIL: the program ended before its main window showed" >&2
        exit 1
    fi
    for window in $(DISPLAY=$display xdotool search --name "^$caption\$" 2>/dev/null); do
        if DISPLAY=$display xwininfo -id "$window" | grep -q "Map State: IsViewable"; then
            shown=$window
        fi
    done
    [ -n "$shown" ] && break
    sleep 0.1
done
if [ -z "$shown" ]; then
    cat "$scratch/program.log" >&2
    echo "FAIL: no main window \"$caption\" showed within 30 s" >&2
    exit 1
fi
# Let start-up finish (the monitor's first tick comes after 3 s) before closing.
sleep 4
kill -0 "$program_pid" 2>/dev/null || { cat "$scratch/program.log" >&2; echo "FAIL: the program ended" >&2; exit 1; }
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
listing >"$scratch/after"
if ! cmp -s "$scratch/before" "$scratch/after"; then
    diff "$scratch/before" "$scratch/after" >&2 || true
    fail "the program changed its installed folder"
fi
[ -s "$home/Documents/Quillarbor/profile.mdb" ] || fail "no profile database in the user's documents folder"
[ -d "$home/.local/share/Quillarbor/Resources" ] || fail "the link categories were not copied into the user's data folder"
entry="$home/.config/autostart/quillarbor.desktop"
if [ -f "$entry" ]; then
    desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
    # Started through the link, the entry still names the real executable.
    grep -qx "Exec=\"$prefix/lib/quillarbor/quillarbor\"" "$entry" ||
        fail "$entry: $(grep '^Exec=' "$entry"), wanted Exec=\"$prefix/lib/quillarbor/quillarbor\""
else
    fail "no autostart entry $entry"
fi
if grep -qi "permission denied\|read-only file system" "$scratch/program.log"; then
    cat "$scratch/program.log" >&2
    fail "the program tried to write where it may not"
fi
[ "$failures" -eq 0 ] || exit 1
echo "the installed program ran as $user from a folder it cannot write and left it untouched"
