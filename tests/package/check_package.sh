#!/usr/bin/env bash
# Builds the Debian package from the build tree and judges it as Debian does: the file list,
# desktop-file-validate on each menu entry, lintian with no error.
# usage: check_package.sh CPACK BUILD_DIR PACKAGE
set -euo pipefail
cpack=$1 build=$2 package=$3

if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb is not installed: no Debian package to check"
    exit 77
fi
for tool in desktop-file-validate lintian; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps installs it)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$(echo "$work"/*.deb)
echo "built $(basename "$deb")"

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The file list: dpkg-deb -c shows a link as "path -> target".
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
    ./usr/bin/vardel ./usr/bin/morvek ./usr/bin/quillet ./usr/bin/examdb
    ./usr/lib/"$package"/help/index.html
    ./usr/share/doc/"$package"/copyright ./usr/share/doc/"$package"/changelog.Debian.gz
)
for menu in vardel morvek quillet; do
    expected+=(./usr/share/applications/$menu.desktop ./usr/share/icons/hicolor/scalable/apps/$menu.svg)
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$listing" || fail "$path is not in the package"
done
# The database is the centre's: no file of the package may lie where it lives.
if grep -q '^\./var/' <<<"$listing"; then
    fail "the package holds files under /var: $(grep '^\./var/' <<<"$listing" | tr '\n' ' ')"
fi

# Each launcher leads to a program of the package.
dpkg-deb -x "$deb" "$work/root"
for launcher in vardel morvek quillet examdb; do
    [ -x "$work/root/usr/bin/$launcher" ] || fail "/usr/bin/$launcher leads to no program"
done

# What Qt loads at run time is beyond dpkg-shlibdeps' sight and must be listed by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6sql6-sqlite qt6-qpa-plugins qt6-translations-l10n fonts-noto-cjk libqt6widgets6; do
    grep -qw -- "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done

for desktop in "$work"/root/usr/share/applications/*.desktop; do
    desktop-file-validate "$desktop" || fail "desktop-file-validate: $(basename "$desktop")"
done

# Errors fail; warnings and notes are shown for the reader of the log.
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

exit $failed
