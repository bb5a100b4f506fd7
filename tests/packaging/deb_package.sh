#!/bin/sh
# Builds the Debian package with CPack and checks it: its name, its control
# fields (above all Depends on the Qt runtime), its file list with owners, its
# contents extracted into a temporary root, lintian, and that apt would install
# it.
# Skipped (exit 77) where dpkg-deb is not installed.
#
# Usage: deb_package.sh BUILD-DIR VERSION GUI-BUILT(0|1)
set -u
build=$1
version=$2
gui=$3
if ! command -v dpkg-deb >/dev/null 2>&1; then
    echo "dpkg-deb not installed: skipped"
    exit 77
fi
# shellcheck source=tests/packaging/lib.sh
. "$(dirname "$0")/lib.sh"

# The tests run on a finished build. cpack would first run the Makefiles'
# "preinstall" target, which builds every target of the tree; naming a
# generator without that target makes it install what is there.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" -D CPACK_CMAKE_GENERATOR=Ninja \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB failed"
    finish
fi
set -- "$work"/out/tessalyn_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    fail "expected one tessalyn_*.deb, found: $(ls "$work/out")"
    finish
fi
deb=$1
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "tessalyn_${version}_$arch.deb" ] || fail "package file name $(basename "$deb")"

# Control fields.
[ "$(dpkg-deb -f "$deb" Package)" = tessalyn ] || fail "Package is not tessalyn"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = science ] || fail "Section is not science"
dpkg-deb -f "$deb" Maintainer | grep -Eq '^[^<]+ <[^>]+@[^>]+>$' || fail "Maintainer is not 'Name <address>'"
depends=$(dpkg-deb -f "$deb" Depends)
needed="libc6 libstdc++6 qt6-qpa-plugins libqt6svg6 qt6-translations-l10n"
[ "$gui" = 1 ] && needed="$needed libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6"
for p in $needed; do
    case ", $depends," in
    *", $p,"* | *", $p "*) ;;
    *) fail "Depends lacks $p: $depends" ;;
    esac
done

# File list: everything belongs to root.
dpkg-deb -c "$deb" >"$work/contents.txt"
if awk '$2 != "root/root" { bad = 1 } END { exit !bad }' "$work/contents.txt"; then
    fail "files not owned by root/root: $(awk '$2 != "root/root"' "$work/contents.txt")"
fi

# Extracted into a temporary root: the same tree as `cmake --install`, and the
# stripped companion still runs.
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
check_tree "$root" "$gui"
check_desktop_entry "$root" "$gui"
check_legal_files_and_icons "$root" "$version"
out=$("$root/usr/bin/tessalyn-cli" --version 2>&1) || fail "extracted tessalyn-cli --version failed: $out"
[ "${out##* }" = "$version" ] || fail "extracted tessalyn-cli --version says: $out"

# lintian, when installed (CI installs it), finds no error; its warnings go
# to the log.
if command -v lintian >/dev/null 2>&1; then
    if ! out=$(lintian --fail-on error --display-level '>=warning' "$deb" 2>&1); then
        fail "lintian reports errors: $out"
    else
        echo "lintian: ${out:-no warnings}"
    fi
else
    echo "lintian not installed: skipped"
fi

# apt resolves its dependencies (a simulation; needs no network and changes nothing).
if command -v apt-get >/dev/null 2>&1; then
    if ! out=$(apt-get install -s -q "$deb" 2>&1); then
        fail "apt-get install -s $deb: $out"
    fi
fi

finish
