#!/bin/sh
# cmake --install into two scratch prefixes (one with a space in its path) and
# check what lands there: the program folder, the link, the desktop entry, the
# AppStream file, the icons and the plug-in authors' header.
# Usage: check_install.sh <build folder> <source folder> <version>
set -eu
build=$1
source=$2
version=$3
app_id=org.example.quillarbor.Quillarbor

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (tools/install-deps.sh --tests)" >&2; exit 1; }
}
need desktop-file-validate
need appstreamcli
need identify

check_prefix() {
    prefix=$1
    expected_exec=$2
    cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
        { cat "$scratch/install.log" >&2; fail "cmake --install into $prefix"; return; }
    folder="$prefix/lib/quillarbor"

    for file in quillarbor libquill_browser.so empty.mdb LICENSE tea.ico timer.ico 1.wav Manual/1.htm; do
        [ -f "$folder/$file" ] || fail "missing $folder/$file"
    done
    [ -x "$folder/quillarbor" ] || fail "the executable is not executable"
    for dir in Images Manual Resources; do
        [ -n "$(ls -A "$folder/$dir" 2>/dev/null)" ] || fail "$folder/$dir is missing or empty"
    done
    # Only the standard plug-ins ship, whatever the tests left in the build tree.
    plugins=$(cd "$folder/Plugins" 2>/dev/null && ls | tr '\n' ' ')
    [ "$plugins" = "date_calculator.so password_generator.so " ] || fail "Plugins holds: $plugins"
    cmp -s "$folder/Resources/Погода.dat" "$source/resources/Resources/Погода.dat" ||
        fail "link categories differ from the sources"

    link="$prefix/bin/quillarbor"
    [ -L "$link" ] || fail "$link is not a symbolic link"
    [ "$(readlink "$link")" = "../lib/quillarbor/quillarbor" ] || fail "$link points at $(readlink "$link")"
    [ "$(readlink -f "$link")" = "$(readlink -f "$folder/quillarbor")" ] || fail "$link does not reach the executable"

    cmp -s "$prefix/include/quillarbor/quillarbor_plugin.h" "$source/plugins/quillarbor_plugin.h" ||
        fail "the plug-in header is not installed as include/quillarbor/quillarbor_plugin.h"

    desktop="$prefix/share/applications/$app_id.desktop"
    if [ -f "$desktop" ]; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
        grep -qx "Exec=$expected_exec" "$desktop" || fail "$desktop: $(grep '^Exec=' "$desktop"), wanted Exec=$expected_exec"
        grep -qx "Icon=quillarbor" "$desktop" || fail "$desktop: no Icon=quillarbor"
        grep -qx "Categories=Office;Calendar;ContactManagement;" "$desktop" || fail "$desktop: categories"
        grep -q "^Comment=Адресная книга, напоминания" "$desktop" || fail "$desktop: not the Russian comment"
    else
        fail "missing $desktop"
    fi

    metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
    if [ -f "$metainfo" ]; then
        appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 ||
            { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate $metainfo"; }
        grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
            fail "the metainfo does not launch $app_id.desktop"
        grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
    else
        fail "missing $metainfo"
    fi

    # A build made without the publisher's addresses names none: not in the
    # executable, the modules, the help pages nor the desktop and AppStream data.
    if grep -rl --binary-files=text "quillarbor\.example" "$prefix" >"$scratch/named" 2>/dev/null; then
        fail "files name the placeholder domain: $(tr '\n' ' ' <"$scratch/named")"
    fi

    for size in 16 22 24 32 48 64 128 256; do
        icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quillarbor.png"
        if [ -f "$icon" ]; then
            got=$(identify -format '%wx%h %[channels]' "$icon")
            case $got in
            "${size}x${size} srgba"*) ;;
            *) fail "$icon is $got, wanted ${size}x${size} with alpha" ;;
            esac
        else
            fail "missing $icon"
        fi
    done
}

check_prefix "$scratch/plain" "$scratch/plain/bin/quillarbor"
# A path with a space stands in double quotes on the Exec line.
check_prefix "$scratch/Program Files/quill" "\"$scratch/Program Files/quill/bin/quillarbor\""

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed layout, desktop entry, metainfo and icons are right"
