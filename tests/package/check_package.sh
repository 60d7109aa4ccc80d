#!/usr/bin/env bash
# Builds the Debian package from the build tree and judges it as Debian does: the file list, the
# relations, the size it declares, the hardening of the programs, desktop-file-validate on each
# menu entry (hints included) and lintian with every tag shown (-I -E --pedantic), of which only
# the archive's initial-upload-closes-no-bugs may stand; executable-in-usr-lib and
# hardening-no-fortify-functions are overridden with their reasons in the package.
# usage: check_package.sh CPACK BUILD_DIR PACKAGE
set -euo pipefail
cpack=$1 build=$2 package=$3

if ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-deb is not installed: no Debian package to check"
    exit 77
fi
for tool in desktop-file-validate lintian readelf; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps installs it)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$(echo "$work"/*.deb)
echo "built $(basename "$deb"): $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"

failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The file list: dpkg-deb -c shows a link as "path -> target".
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
    ./usr/bin/vardel ./usr/bin/morvek ./usr/bin/quillet ./usr/bin/examdb
    ./usr/lib/"$package"/installed.ini
    ./usr/share/help/zh_CN/"$package"/index.html
    ./usr/share/doc/"$package"/copyright ./usr/share/doc/"$package"/changelog.Debian.gz
    ./usr/share/lintian/overrides/"$package"
)
for menu in vardel morvek quillet; do
    expected+=(./usr/share/applications/$menu.desktop ./usr/share/icons/hicolor/scalable/apps/$menu.svg)
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$listing" || fail "$path is not in the package"
done
# The database is the centre's: no file of the package may lie where it lives. Nothing but the
# programs and their mark lies beside the programs.
if grep -q '^\./var/' <<<"$listing"; then
    fail "the package holds files under /var: $(grep '^\./var/' <<<"$listing" | tr '\n' ' ')"
fi
beside=$(grep "^\./usr/lib/$package/." <<<"$listing" | grep -vE "/(Vardel|Morvek|Quillet|examdb|installed\.ini)$" || true)
[ -z "$beside" ] || fail "beside the programs: $(tr '\n' ' ' <<<"$beside")"

# Each command on the PATH starts a program of the package.
dpkg-deb -x "$deb" "$work/root"
for launcher in vardel morvek quillet examdb; do
    program=$(grep -o '/\.\./lib/[^"]*' "$work/root/usr/bin/$launcher" | sed 's|^/\.\.|/usr|')
    [ -x "$work/root/usr/bin/$launcher" ] && [ -x "$work/root$program" ] ||
        fail "/usr/bin/$launcher starts no program of the package"
done
"$work/root/usr/bin/examdb" --version | grep -q "^examdb " || fail "/usr/bin/examdb --version"

# What Qt loads at run time is beyond dpkg-shlibdeps' sight and must be listed by hand; what
# the programs can do without is recommended, not required.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for need in libqt6sql6-sqlite qt6-qpa-plugins "fonts-noto-cjk | fonts-wqy-microhei" libqt6widgets6 libssl3; do
    grep -qF -- "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
for want in qt6-translations-l10n libqt6sql6-psql xdg-utils; do
    grep -qw -- "$want" <<<"$recommends" || fail "Recommends lacks $want: $recommends"
    grep -qw -- "$want" <<<"$depends" && fail "Depends requires $want, which the programs can do without"
done

# Installed-Size as dpkg counts it: each file's size in KiB, rounded up.
declared=$(dpkg-deb -f "$deb" Installed-Size)
real=$(find "$work/root" -type f -printf '%s\n' | awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
if [ "$declared" -gt $((real + real / 20 + 16)) ] || [ "$declared" -lt $((real - real / 20)) ]; then
    fail "Installed-Size is $declared KiB, the files take $real KiB"
fi

# Debian's hardening (dpkg-buildflags): a stack protector; lintian judges the fortified calls
# (hardening-no-fortify-functions) and RELRO.
for program in Vardel Morvek Quillet examdb; do
    symbols=$(readelf --dyn-syms -W "$work/root/usr/lib/$package/$program")
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program is built without -fstack-protector-strong"
done

for desktop in "$work"/root/usr/share/applications/*.desktop; do
    said=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $(basename "$desktop")"
    [ -z "$said" ] || fail "desktop-file-validate: $said"
done

# Every tag fails but the archive's own.
lintian -I -E --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian.txt" || true
if grep -E '^[EWIPX]: ' "$work/lintian.txt" | grep -vq ' initial-upload-closes-no-bugs '; then
    fail "lintian: $(grep -E '^[EWIPX]: ' "$work/lintian.txt" | grep -v ' initial-upload-closes-no-bugs ' |
        awk '{print $3}' | sort -u | tr '\n' ' ')"
fi

exit $failed
