#!/bin/sh
# A clean install into a temporary DESTDIR: the executable, the launcher and the library it
# loads, the desktop entry (valid for desktop-file-validate, starting the installed
# executable) and the icon in the hicolor theme, scalable and at every PNG size.
# usage: install_into_destdir.sh BUILD-FOLDER
set -eu
build=$1
dest=$(mktemp -d "${TMPDIR:-/tmp}/quaylight-install.XXXXXX")
trap 'rm -rf "$dest"' EXIT INT TERM
DESTDIR="$dest" cmake --install "$build" >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
root="$dest$prefix"
listing=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
echo "installed under $prefix:"
echo "$listing" | sed 's/^/  /'

failed=0
expect() {  # a pattern (grep -E) that some installed path must match
    if echo "$listing" | grep -Eqx "$1"; then echo "PASS $1"; else echo "FAIL nothing installed matches $1"; failed=1; fi
}
expect 'bin/quaylight'
expect 'lib[^ ]*/quaylight/quaylight-application'
expect 'lib[^ ]*/quaylight/libquaylight-app\.so'
expect 'share/applications/quaylight\.desktop'
expect 'share/icons/hicolor/scalable/apps/quaylight\.svg'
for size in 16 22 24 32 48 64 128 256; do
    expect "share/icons/hicolor/${size}x${size}/apps/quaylight\.png"
done

entry="$root/share/applications/quaylight.desktop"
if desktop-file-validate "$entry"; then echo "PASS desktop-file-validate"; else echo "FAIL desktop-file-validate"; failed=1; fi
if grep -qx "Exec=$prefix/bin/quaylight" "$entry" && grep -qx "Icon=quaylight" "$entry"; then
    echo "PASS the entry starts $prefix/bin/quaylight with the icon quaylight"
else
    echo "FAIL the entry's Exec or Icon:"; cat "$entry"; failed=1
fi
exit $failed
