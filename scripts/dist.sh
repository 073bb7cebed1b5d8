#!/usr/bin/env bash
# Release steps of setup.exe.
#   scripts/dist.sh                           builds everything (as scripts/build.sh, BUILD_DIR
#                                             moves the tree) and makes <build>/win32/dist
#   scripts/dist.sh sign IN OUT [DESCRIPTION] signs IN into OUT (may be IN) with Authenticode
#   scripts/dist.sh collect DIR NAME=FILE...  copies each FILE into DIR as NAME and writes
#                                             DIR/SHA256SUMS
# Signing takes the certificate and the unencrypted private key (PEM or DER files) from
# SIGN_CERT and SIGN_KEY. With SOURCE_DATE_EPOCH set, that is the signing time, so that signing the
# same file with the same key gives the same bytes.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)

is_signed() {
    # osslsigncode will not write its output to /dev/null.
    local der rc=0
    der=$(mktemp)
    rm -f "$der"
    osslsigncode extract-signature -in "$1" -out "$der" >/dev/null 2>&1 || rc=1
    rm -f "$der"
    return $rc
}

sign() { # in, out, description
    local in=$1 out=$2 description=${3:-}
    if [ -z "${SIGN_CERT:-}" ] || [ -z "${SIGN_KEY:-}" ]; then
        echo "dist.sh sign: SIGN_CERT and SIGN_KEY must name the certificate and the key" >&2
        return 2
    fi
    local args=(sign -certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256)
    [ -z "$description" ] || args+=(-n "$description")
    [ -z "${SOURCE_DATE_EPOCH:-}" ] || args+=(-time "$SOURCE_DATE_EPOCH")
    # osslsigncode will not write over its input, and a failed run must not leave half a file.
    local tmp="$out.signing"
    rm -f "$tmp"
    if ! osslsigncode "${args[@]}" -in "$in" -out "$tmp" >/dev/null; then
        rm -f "$tmp"
        echo "dist.sh sign: signing $in failed" >&2
        return 1
    fi
    mv -f "$tmp" "$out"
    echo "Signed $out (certificate $SIGN_CERT)"
}

collect() { # dir, name=file...
    local dir=$1; shift
    rm -rf "$dir"
    mkdir -p "$dir"
    local names=() pair name file
    for pair in "$@"; do
        name=${pair%%=*}; file=${pair#*=}
        cp "$file" "$dir/$name"
        names+=("$name")
    done
    (cd "$dir" && sha256sum -- "${names[@]}" >SHA256SUMS)
    echo "Made $dir:"
    for name in "${names[@]}"; do
        local state=unsigned
        if is_signed "$dir/$name"; then state=signed; fi
        printf '  %8d bytes  %-16s %s\n' "$(stat -c %s "$dir/$name")" "$name" "$state"
    done
}

case "${1:-}" in
    sign) shift; sign "$@" ;;
    collect) shift; collect "$@" ;;
    "")
        "$HERE/build.sh"
        B=${BUILD_DIR:-$(cd "$HERE/.." && pwd)/build}
        cmake --build "$B/win32" --target dist
        ;;
    *) echo "usage: dist.sh [sign IN OUT [DESCRIPTION] | collect DIR NAME=FILE...]" >&2; exit 2 ;;
esac
