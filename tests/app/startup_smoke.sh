#!/bin/sh
# The desktop program as a whole process, started the way a user starts it:
# in a folder of its own that holds an "orvento.lang", with no settings yet,
# headless. Its --startup-probe option closes the main window as soon as it
# has been shown and painted. The program must then end by itself, with exit
# code 0, nothing on standard error, and nothing new in its folder. Started
# again with a FIFO as "orvento.lang", it must not wait for a writer: it says
# so in a message (which the probe writes to standard output) and comes up.
#
# Usage: startup_smoke.sh TESSALYN
set -u
program=$1

work=$(mktemp -d "${TMPDIR:-/tmp}/tessalyn-start.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/praxis" "$work/config/Korvanei" "$work/runtime"
chmod 700 "$work/runtime"
# No waiting at the splash window: "Startverzögerung" 0, as the settings
# file spells it.
printf '[General]\nStartverz%%F6gerung=0\n' >"$work/config/Korvanei/Tessalyn.conf"
# An overlay with the seven chapter titles (Windows-1252, CR LF); the
# records it leaves out are blanked.
printf 'K\xF6rper\r\nKopf\r\nAugen\r\nOhren\r\nNase\r\nGesicht\r\nMund\r\n' \
    >"$work/praxis/orvento.lang"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Starts the program in the folder and checks how it ended.
start() {
    (cd "$work/praxis" &&
        HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime \
            QT_QPA_PLATFORM=offscreen \
            timeout 60 "$program" --startup-probe >"$work/out" 2>"$work/err")
    rc=$?
    if [ "$rc" -eq 124 ]; then
        fail "the main window never came up and closed within 60 seconds"
    elif [ "$rc" -ne 0 ]; then
        fail "tessalyn --startup-probe exits $rc"
    fi
    # The headless platform notes what it cannot do (raise a window, say); any
    # other line on standard error is a fault.
    if grep -v '^This plugin does not support ' "$work/err" >"$work/errors"; then
        fail "tessalyn writes to standard error:"
        cat "$work/errors" >&2
    fi
    left=$(ls -A "$work/praxis")
    [ "$left" = "orvento.lang" ] || fail "the start-up folder holds more than orvento.lang: $left"
}

start
# The probe prints the window's title and any message box shown on the way.
if grep -q '^Meldung: ' "$work/out"; then
    fail "a message at the start:"
    cat "$work/out" >&2
fi

rm "$work/praxis/orvento.lang"
mkfifo "$work/praxis/orvento.lang" || exit 1
start
grep -q '^Meldung: .orvento.lang. ist keine gew.*hnliche Datei' "$work/out" ||
    fail "no message about the FIFO orvento.lang: $(cat "$work/out")"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "the main window came up and closed cleanly, also with a FIFO as orvento.lang"
