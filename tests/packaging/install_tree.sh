#!/bin/sh
# Installs the build into a temporary DESTDIR with the prefix /usr, as the
# Debian package does, and checks what lands there: the file list, the menu
# entry, the metainfo, the manual pages, and the folder the launcher picks.
#
# Usage: install_tree.sh BUILD-DIR VERSION GUI-BUILT(0|1)
set -u
build=$1
version=$2
gui=$3
# shellcheck source=tests/packaging/lib.sh
. "$(dirname "$0")/lib.sh"

root=$work/root
if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install into a DESTDIR failed"
    finish
fi
check_tree "$root" "$gui"
check_desktop_entry "$root" "$gui"
check_metainfo "$root" "$version"
check_legal_files_and_icons "$root" "$version"
check_man_pages "$root" "$version"

# The launcher, run beside a stand-in for the program that writes down the
# folder it was started in and its arguments.
launcher_bin=$work/launcher/bin
mkdir -p "$launcher_bin"
cp "$root/usr/bin/tessalyn-start" "$launcher_bin/"
cat >"$launcher_bin/tessalyn" <<'FAKE'
#!/bin/sh
{ pwd; for a in "$@"; do echo "arg:$a"; done; } >"$TESSALYN_FAKE_LOG"
FAKE
chmod +x "$launcher_bin/tessalyn"

# Runs the launcher with HOME=$1 from its own folder by a relative path (so it
# must find the program before it changes folder) and checks that the program
# ran in $2 with both arguments intact.
launch_expect() {
    home=$1
    expected=$2
    log=$work/launcher/run.log
    rm -f "$log"
    (cd "$launcher_bin" && env -u XDG_DOCUMENTS_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" \
        TESSALYN_FAKE_LOG="$log" ./tessalyn-start "zwei Wörter" --x >"$work/launcher/out" 2>&1)
    if [ ! -f "$log" ]; then
        fail "launcher (HOME=$home) did not start the program: $(cat "$work/launcher/out")"
        return
    fi
    printf '%s\narg:zwei Wörter\narg:--x\n' "$expected" >"$work/launcher/expected"
    cmp -s "$log" "$work/launcher/expected" ||
        fail "launcher (HOME=$home) ran: $(cat "$log"), expected in $expected"
    [ -d "$expected" ] || fail "launcher did not create $expected"
}

# A documents folder configured for xdg-user-dirs wins, even when it does not
# exist yet.
h=$work/home-xdg
mkdir -p "$h/.config" "$h/Documents"
# shellcheck disable=SC2016 # $HOME is for xdg-user-dir to expand
echo 'XDG_DOCUMENTS_DIR="$HOME/Unterlagen"' >"$h/.config/user-dirs.dirs"
launch_expect "$h" "$h/Unterlagen/Tessalyn"
# Second start: the folder exists and is used again.
launch_expect "$h" "$h/Unterlagen/Tessalyn"

# Without that configuration: ~/Dokumente before ~/Documents, else the home
# folder itself.
h=$work/home-both
mkdir -p "$h/Dokumente" "$h/Documents"
launch_expect "$h" "$h/Dokumente/Tessalyn"
h=$work/home-en
mkdir -p "$h/Documents"
launch_expect "$h" "$h/Documents/Tessalyn"
h=$work/home-bare
mkdir -p "$h"
launch_expect "$h" "$h/Tessalyn"

# A Tessalyn folder that cannot be made (a file of that name is in the way):
# the program starts in the home folder and the launcher says why.
h=$work/home-blocked
mkdir -p "$h/Dokumente"
: >"$h/Dokumente/Tessalyn"
launch_expect "$h/" "$h"
grep -q "Dokumente/Tessalyn" "$work/launcher/out" || fail "launcher did not report the blocked folder"

finish
