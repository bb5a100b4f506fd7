#!/bin/sh
# tessalyn-cli as a whole process, the way a user meets it in a terminal:
# --help and every command's --help print German usage of at most 80 columns
# and exit 0, --version names the version, wrong calls give one line on
# standard error and exit 2, and the manual page describes exactly the
# commands that --help lists.
#
# Usage: cli_help.sh TESSALYN-CLI VERSION MANUAL-PAGE-SOURCE
set -u
cli=$1
version=$2
manual=$3
# shellcheck source=tests/packaging/lib.sh
. "$(dirname "$0")/lib.sh"

# Runs the companion; sets rc, and leaves its output in $work/out and $work/err.
run() {
    "$cli" "$@" >"$work/out" 2>"$work/err"
    rc=$?
}

# Checks a help text: exit 0, nothing on standard error, first line $1, no
# line wider than 80 columns.
expect_help() {
    usage=$1
    shift
    run "$@"
    [ "$rc" -eq 0 ] || fail "tessalyn-cli $* exits $rc"
    [ ! -s "$work/err" ] || fail "tessalyn-cli $* writes to standard error: $(cat "$work/err")"
    case $(head -n 1 "$work/out") in
    "$usage"*) ;;
    *) fail "tessalyn-cli $* begins: $(head -n 1 "$work/out"), expected: $usage" ;;
    esac
    [ "$(wc -l <"$work/out")" -ge 2 ] || fail "tessalyn-cli $* prints only a usage line"
    width=$(wc -L <"$work/out")
    [ "$width" -le 80 ] || fail "tessalyn-cli $* has lines of $width columns"
}

# Checks a wrong call: exit 2, nothing on standard output, one line on
# standard error naming the program.
expect_usage_error() {
    run "$@"
    [ "$rc" -eq 2 ] || fail "tessalyn-cli $* exits $rc, expected 2"
    [ ! -s "$work/out" ] || fail "tessalyn-cli $* writes to standard output"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "tessalyn-cli $* does not give one error line: $(cat "$work/err")"
    grep -q '^tessalyn-cli: ' "$work/err" || fail "tessalyn-cli $* error does not name the program"
}

expect_help "Aufruf: tessalyn-cli " --help
cp "$work/out" "$work/help"
expect_help "Aufruf: tessalyn-cli " -h

run --version
[ "$rc" -eq 0 ] || fail "tessalyn-cli --version exits $rc"
first=$(head -n 1 "$work/out")
[ "${first##* }" = "$version" ] || fail "tessalyn-cli --version says: $first"
case $first in
"tessalyn-cli (Tessalyn) "*) ;;
*) fail "tessalyn-cli --version does not begin with 'tessalyn-cli (Tessalyn)': $first" ;;
esac

expect_usage_error --gibt-es-nicht info
expect_usage_error -x
expect_usage_error
expect_usage_error gibt-es-nicht

# The commands are the lines of the "Befehle:" block of --help.
commands=$(awk '/^Befehle:/ { on = 1; next } on && /^$/ { exit } on { print $1 }' "$work/help")
[ -n "$commands" ] || fail "--help lists no commands"
for c in $commands; do
    expect_help "Aufruf: tessalyn-cli $c" "$c" --help
    # evaluate takes any unknown word as a case entry, as typed into the grid
    # (so "-40" works); every other command refuses an unknown option.
    [ "$c" = evaluate ] || expect_usage_error "$c" --gibt-es-nicht x
done

# The manual page's BEFEHLE section: the first word of each item.
documented=$(awk '/^\.SH BEFEHLE/ { on = 1; next } /^\.SH/ { on = 0 }
    on && item { gsub(/\\f[BIR]/, ""); sub(/^\.B[IR]? /, ""); print $1; item = 0; next }
    on && /^\.TP/ { item = 1 }' "$manual" | sort -u)
listed=$(printf '%s\n' "$commands" | sort -u)
[ "$documented" = "$listed" ] ||
    fail "the manual page documents: $(echo "$documented" | tr '\n' ' ')but --help lists: $(echo "$listed" | tr '\n' ' ')"

finish
