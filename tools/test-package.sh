#!/bin/sh
# Builds the Debian package and tries it on a fresh Debian 12: a minimal root
# made with debootstrap, the package installed with apt as a user would, the
# program started under Xvfb inside that root until its main window shows,
# then the package purged and the root checked for anything it left.
#
# Usage (as root, from the repository): tools/test-package.sh [build folder]
# The build folder must hold a finished build (cmake --build). Needs
# debootstrap and a reachable Debian mirror (QUILL_MIRROR, else the one this
# machine's apt uses).
set -eu
build=${1:-build}
started=$(date +%s)

if [ "$(id -u)" != 0 ]; then
    echo "tools/test-package.sh needs root (debootstrap, chroot, mounts)" >&2
    exit 1
fi
command -v debootstrap >/dev/null || { echo "debootstrap is not installed: apt-get install debootstrap" >&2; exit 1; }
mirror=${QUILL_MIRROR:-$(grep -hoE '^(URIs:|deb) +https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/* 2>/dev/null |
    grep -v security | head -n 1 | awk '{print $2}')}
mirror=${mirror:-http://deb.debian.org/debian}

step() {
    echo "== $(($(date +%s) - started)) s: $*"
}

step "building the package in $build"
rm -f "$build"/quillarbor_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
package=$(ls "$build"/quillarbor_*_*.deb)
dpkg-deb --info "$package" | sed -n '/Package:/,$p'

root=$(mktemp -d /var/tmp/quillarbor-root.XXXXXX)
# The root folder of the new system: every user there must get through it.
chmod 0755 "$root"
mounted=
cleanup() {
    status=$?
    # Anything still running inside the root holds its mounts.
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
    done
    for mount in $mounted; do
        umount -l "$root/$mount" 2>/dev/null || true
    done
    rm -rf --one-file-system "$root"
    echo "== $(($(date +%s) - started)) s: finished with status $status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step "making a minimal Debian 12 root in $root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 30 "$root.debootstrap.log" >&2; rm -f "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
mount -t proc proc "$root/proc" && mounted="proc $mounted"
mount --bind /dev "$root/dev" && mounted="dev $mounted"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" && mounted="dev/pts $mounted"
in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

step "installing $(basename "$package") with apt"
cp "$package" "$root/tmp/"
in_root apt-get update -qq
in_root apt-get install -y -qq --no-install-recommends "./tmp/$(basename "$package")" >"$root/tmp/apt.log" 2>&1 ||
    { tail -n 30 "$root/tmp/apt.log" >&2; exit 1; }
in_root dpkg-query -W -f='${Package} ${Version} ${Installed-Size} KiB\n' quillarbor
in_root dpkg -L quillarbor >"$root/tmp/package-files"
# What the check needs, installed after the package so it cannot hide a
# missing dependency of the program.
in_root apt-get install -y -qq --no-install-recommends xvfb xdotool x11-utils >"$root/tmp/apt-tools.log" 2>&1 ||
    { tail -n 30 "$root/tmp/apt-tools.log" >&2; exit 1; }

step "starting the program as a new user under Xvfb"
in_root useradd --create-home --shell /bin/sh anna
# Only the socket file inside the root: the abstract socket of display :7
# would be shared with the machine's own X servers.
in_root sh -c 'Xvfb :7 -nolisten tcp -nolisten local -screen 0 1280x1024x24 >/tmp/xvfb.log 2>&1 & echo $! >/tmp/xvfb.pid'
in_root sh -c 'for i in $(seq 50); do [ -S /tmp/.X11-unix/X7 ] && exit 0; sleep 0.1; done; exit 1' ||
    { cat "$root/tmp/xvfb.log" >&2; exit 1; }
in_root runuser -u anna -- sh -c 'mkdir -m 0700 -p /tmp/anna-runtime &&
    cd && DISPLAY=:7 HOME=/home/anna XDG_RUNTIME_DIR=/tmp/anna-runtime QT_QPA_PLATFORM=xcb \
    quillarbor >/tmp/quillarbor.log 2>&1 & echo $! >/tmp/quillarbor.pid'
# A first start: the splash fades in, then the first-run window asks to visit
# the maker's site; the check answers it with Enter, as a user would. A build
# without a site then shows its own page about the program, which the check
# closes with Escape.
window_shown() {
    in_root sh -c "for w in \$(DISPLAY=:7 xdotool search --name '$1' 2>/dev/null); do
        DISPLAY=:7 xwininfo -id \$w | grep -q 'Map State: IsViewable' && echo \$w && exit 0; done; exit 1"
}
answered=
closed=
main=
for _ in $(seq 600); do
    if [ -z "$answered" ] && box=$(window_shown '^Информация$'); then
        in_root sh -c "DISPLAY=:7 xdotool windowfocus $box sleep 0.3 key Return" && answered=yes &&
            step "the first-run message box showed and was answered"
    fi
    if [ -n "$answered" ] && [ -z "$closed" ] && about=$(window_shown '^Справка - Quillarbor$'); then
        in_root sh -c "DISPLAY=:7 xdotool windowfocus $about sleep 0.3 key Escape" && closed=yes &&
            step "the page about the program showed and was closed"
    fi
    if main=$(window_shown '^Quillarbor 3\.2 - anna$'); then
        break
    fi
    main=
    sleep 0.1
done
if [ -z "$main" ]; then
    cat "$root/tmp/quillarbor.log" >&2
    echo "FAIL: the main window did not show within 60 s" >&2
    exit 1
fi
step "the main window shows ($(in_root sh -c "DISPLAY=:7 xwininfo -id $main" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' '))"
sleep 4
# A second start through the menu entry's command line hands over to the
# running copy and ends with status 0; the first copy goes on.
exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop | head -n 1)
in_root runuser -u anna -- sh -c "cd && DISPLAY=:7 HOME=/home/anna XDG_RUNTIME_DIR=/tmp/anna-runtime \
    QT_QPA_PLATFORM=xcb timeout 30 $exec_line >/tmp/second.log 2>&1" ||
    { cat "$root/tmp/second.log" >&2; echo "FAIL: a second start did not end with status 0" >&2; exit 1; }
kill -0 "$(cat "$root/tmp/quillarbor.pid")" ||
    { echo "FAIL: the first copy ended when a second was started" >&2; exit 1; }
window_shown '^Quillarbor 3\.2 - anna$' >/dev/null ||
    { echo "FAIL: the main window is gone after a second start" >&2; exit 1; }
step "a second start ($exec_line) handed over to the first and ended"
kill "$(cat "$root/tmp/quillarbor.pid")" "$(cat "$root/tmp/xvfb.pid")" 2>/dev/null || true
sleep 1

step "purging the package"
in_root apt-get remove --purge -y -qq quillarbor >"$root/tmp/apt-remove.log" 2>&1 ||
    { tail -n 30 "$root/tmp/apt-remove.log" >&2; exit 1; }
left=
while read -r path; do
    [ -n "$path" ] || continue
    if [ -d "$root$path" ] && [ ! -L "$root$path" ]; then
        # A folder may stay while another package owns it (/usr/bin, ...).
        in_root dpkg -S "$path" >/dev/null 2>&1 || left="$left $path"
    elif [ -e "$root$path" ] || [ -L "$root$path" ]; then
        left="$left $path"
    fi
done <"$root/tmp/package-files"
if [ -n "$left" ]; then
    echo "FAIL: left after purging:$left" >&2
    exit 1
fi
step "installed, started, shown and purged cleanly"
