#!/bin/sh
# Installs what building Quillarbor needs on Debian 12; with --tests also what
# the tests, the screenshots and the fuzz targets need (clang, and libFuzzer's
# runtime, which Debian ships apart from clang). Runs as root or through sudo.
set -e
SUDO=
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

packages="build-essential cmake ninja-build pkg-config
qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n qt6-webengine-dev libgl-dev libcurl4-openssl-dev
libcanberra-dev libasound2-dev libgsf-1-dev libical-dev
libzip-dev libsqlite3-dev libsodium-dev qtkeychain-qt6-dev libsecret-1-0
fonts-dejavu-core fonts-urw-base35"
if [ "$1" = "--tests" ]; then
    packages="$packages xvfb xauth imagemagick trayer xdotool x11-utils python3-aiosmtpd python3-olefile python3-vobject openssl
desktop-file-utils appstream debootstrap clang libclang-rt-14-dev
dbus gnome-keyring libsecret-tools python3-nacl radicale vdirsyncer apache2-utils"
fi

missing=
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
