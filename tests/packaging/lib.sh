# Shared by the packaging checks: failure counting, a scratch folder, and the
# checks that apply both to `cmake --install` into a DESTDIR and to the
# extracted .deb. POSIX sh.
# shellcheck shell=sh

app_id=io.korvanei.Tessalyn
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Ends the check: exit 0 when nothing failed.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tessalyn-packaging.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# The files a complete installation holds, relative to the root, one a line.
expected_files() {
    gui=$1
    if [ "$gui" = 1 ]; then
        echo usr/bin/tessalyn
        for size in 16 22 24 32 48 64 128 256; do
            echo "usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
    fi
    cat <<LIST
usr/bin/tessalyn-cli
usr/bin/tessalyn-start
usr/share/applications/$app_id.desktop
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/metainfo/$app_id.metainfo.xml
usr/share/man/man1/tessalyn.1.gz
usr/share/man/man1/tessalyn-cli.1.gz
usr/share/man/man1/tessalyn-start.1.gz
usr/share/doc/tessalyn/README.md
usr/share/doc/tessalyn/copyright
usr/share/doc/tessalyn/changelog.gz
LIST
}

# Every expected file is there (programs executable), and nothing else lands
# in the tree: no build tools, test programs, static libraries or headers, and
# nothing outside /usr.
check_tree() {
    root=$1
    gui=$2
    for f in $(expected_files "$gui"); do
        if [ ! -f "$root/$f" ]; then
            fail "not installed: /$f"
        fi
        case $f in
        usr/bin/*) [ -x "$root/$f" ] || fail "not executable: /$f" ;;
        esac
    done
    (cd "$root" && find . ! -type d | sed 's|^\./||' | sort) >"$work/tree.txt"
    while IFS= read -r f; do
        case $f in
        usr/bin/tessalyn | usr/bin/tessalyn-cli | usr/bin/tessalyn-start) ;;
        usr/share/applications/"$app_id".desktop) ;;
        usr/share/icons/hicolor/*/apps/"$app_id".svg | usr/share/icons/hicolor/*/apps/"$app_id".png) ;;
        usr/share/metainfo/"$app_id".metainfo.xml) ;;
        usr/share/man/man1/tessalyn*.1.gz) ;;
        usr/share/doc/tessalyn/* | usr/share/tessalyn/*) ;;
        *) fail "unexpected file installed: /$f" ;;
        esac
        case $f in
        *.a | *.h | *.cmake | *.so | *.so.*) fail "development file installed: /$f" ;;
        esac
    done <"$work/tree.txt"
}

# The value of KEY in the menu entry (it has one group).
desktop_value() {
    sed -n "s/^$2=//p" "$1" | head -n 1
}

# The menu entry starts the launcher that lies in bin/, names an installed
# icon, and passes desktop-file-validate when that is installed.
check_desktop_entry() {
    root=$1
    gui=$2
    entry=$root/usr/share/applications/$app_id.desktop
    [ -f "$entry" ] || return 0
    exec_line=$(desktop_value "$entry" Exec)
    [ -x "$root/usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line: no such program in /usr/bin"
    [ "${exec_line%% *}" = tessalyn-start ] || fail "Exec=$exec_line does not use the launcher"
    if [ "$gui" = 1 ]; then
        try_exec=$(desktop_value "$entry" TryExec)
        [ -x "$root/usr/bin/$try_exec" ] || fail "TryExec=$try_exec: no such program in /usr/bin"
    fi
    icon=$(desktop_value "$entry" Icon)
    found=
    for f in "$root"/usr/share/icons/hicolor/*/apps/"$icon".svg "$root"/usr/share/icons/hicolor/*/apps/"$icon".png; do
        [ -f "$f" ] && found=$f
    done
    [ -n "$found" ] || fail "Icon=$icon: no such icon in hicolor"
    if [ -n "$found" ] && [ "${found%.svg}" != "$found" ]; then
        grep -q "<svg" "$found" || fail "$found is no SVG picture"
    fi
    case ";$(desktop_value "$entry" Categories)" in
    *";Science;"*MedicalSoftware\;*) ;;
    *) fail "Categories lack Science and MedicalSoftware" ;;
    esac
    [ -n "$(desktop_value "$entry" Comment)" ] || fail "the menu entry has no Comment"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        if ! out=$(desktop-file-validate "$entry" 2>&1) || [ -n "$out" ]; then
            fail "desktop-file-validate: $out"
        fi
    else
        echo "desktop-file-validate not installed: skipped"
    fi
}

# The metainfo names the menu entry and this version, and appstreamcli accepts
# it when that is installed.
check_metainfo() {
    root=$1
    version=$2
    info=$root/usr/share/metainfo/$app_id.metainfo.xml
    [ -f "$info" ] || return 0
    grep -q "<id>$app_id</id>" "$info" || fail "metainfo: id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$info" ||
        fail "metainfo: launchable does not name $app_id.desktop"
    grep -q "<project_license>GPL-3.0-or-later</project_license>" "$info" ||
        fail "metainfo: project_license is not GPL-3.0-or-later"
    grep -Eq "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$info" ||
        fail "metainfo: no release $version with a date"
    if command -v appstreamcli >/dev/null 2>&1; then
        out=$(appstreamcli validate --no-net "$info" 2>&1) || fail "appstreamcli validate: $out"
    else
        echo "appstreamcli not installed: skipped"
    fi
}

# The manual pages are valid gzip files that carry this version and that man
# renders without a warning.
check_man_pages() {
    root=$1
    version=$2
    for page in tessalyn tessalyn-cli tessalyn-start; do
        f=$root/usr/share/man/man1/$page.1.gz
        [ -f "$f" ] || continue
        gzip -t "$f" 2>/dev/null || fail "$page.1.gz is no valid gzip file"
    done
    for page in tessalyn tessalyn-cli; do
        f=$root/usr/share/man/man1/$page.1.gz
        [ -f "$f" ] || continue
        gzip -dc "$f" | grep -q "\"Tessalyn $version\"" || fail "$page.1 does not carry version $version"
        if command -v man >/dev/null 2>&1; then
            warnings=$(MANWIDTH=80 man --warnings -l "$f" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "man $page: $warnings"
        fi
    done
    f=$root/usr/share/man/man1/tessalyn-start.1.gz
    if [ -f "$f" ]; then
        [ "$(gzip -dc "$f")" = ".so man1/tessalyn.1" ] || fail "tessalyn-start.1 does not point to tessalyn.1"
    fi
}

# The machine-readable copyright file names the licence, the changelog's
# newest entry is this version, and each PNG icon has the size its folder says.
check_legal_files_and_icons() {
    root=$1
    version=$2
    doc=$root/usr/share/doc/tessalyn
    if [ -f "$doc/copyright" ]; then
        head -n 1 "$doc/copyright" |
            grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
            fail "copyright is not in the machine-readable format"
        grep -qx 'License: GPL-3+' "$doc/copyright" || fail "copyright does not name GPL-3+"
    fi
    if [ -f "$doc/changelog.gz" ]; then
        top=$(gzip -dc "$doc/changelog.gz" | head -n 1)
        [ "$top" = "tessalyn ($version) unstable; urgency=medium" ] ||
            fail "the changelog's newest entry is not $version: $top"
    fi
    for png in "$root"/usr/share/icons/hicolor/*x*/apps/"$app_id".png; do
        [ -f "$png" ] || continue
        folder=${png%/apps/*}
        # Width and height stand big-endian in the IHDR chunk at bytes 16 to 23.
        size=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
        [ "$size" = "${folder##*/}" ] || fail "$png is $size pixels"
    done
}
