#!/bin/sh
# The hardening of a release build, read from the ELF files themselves:
# the executable is position-independent (type DYN with the PIE flag), every
# file binds its symbols at start (BIND_NOW) behind a read-only relocation
# segment (GNU_RELRO) and none asks for an executable stack.
# Usage: check_hardening.sh <executable> <shared object>...
set -eu
command -v readelf >/dev/null || { echo "FAIL: readelf is not installed (binutils)" >&2; exit 1; }
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

check_file() {
    file=$1
    kind=$2
    [ -f "$file" ] || { fail "$file is missing"; return; }
    header=$(readelf -hW "$file")
    dynamic=$(readelf -dW "$file")
    segments=$(readelf -lW "$file")
    echo "$header" | grep -q "Type:[[:space:]]*DYN" || fail "$file is not of type DYN"
    if [ "$kind" = executable ]; then
        echo "$dynamic" | grep -q "(FLAGS_1).*PIE" || fail "$file has no PIE flag"
    fi
    echo "$dynamic" | grep -Eq "\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW|\(BIND_NOW\)" || fail "$file does not bind now"
    echo "$segments" | grep -q "GNU_RELRO" || fail "$file has no GNU_RELRO segment"
    stack=$(echo "$segments" | grep "GNU_STACK" || true)
    [ -n "$stack" ] || fail "$file has no GNU_STACK header (the stack would be executable)"
    echo "$stack" | grep -q "RWE" && fail "$file asks for an executable stack"
    return 0
}

executable=$1
shift
check_file "$executable" executable
for library in "$@"; do
    check_file "$library" library
done
# Fortified calls show up as the checking variants of the C library.
readelf -sW --dyn-syms "$executable" | grep -q "__[a-z0-9_]*_chk@" || fail "$executable calls no fortified function"
[ "$failures" -eq 0 ] || exit 1
echo "PIE, full RELRO, BIND_NOW and a non-executable stack in every file"
