#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts Tessalyn.
set -euo pipefail
cd "$(dirname "$0")"
# shellcheck source=scripts/common.sh
source scripts/common.sh

ensure_packages "${TESSALYN_PACKAGES[@]}"
build_into build -DTESSALYN_BUILD_TESTS=OFF -DTESSALYN_BUILD_BENCH=OFF >/dev/null

cli=build/src/tessalyn-cli
gui=build/src/tessalyn

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Keine grafische Anzeige gefunden (weder DISPLAY noch WAYLAND_DISPLAY gesetzt): zeige stattdessen die Auswertung eines Beispielfalls mit tessalyn-cli."
    if "$cli" --help | grep -q '^  evaluate'; then
        sample=(1 2 12 40 118)
        echo
        echo "Beispielfall:"
        for n in "${sample[@]}"; do
            printf '  %5s  %s\n' "$n" "$("$cli" rubric "$n" | sed -n 's/^symptom\t//p')"
        done
        echo
        echo "Die ersten 15 Mittel der Auswertung (tessalyn-cli evaluate ${sample[*]}):"
        printf '  %-10s %8s %6s %11s\n' "Mittel" "Treffer" "Summe" "Polarität"  # ä takes two bytes
        "$cli" evaluate "${sample[@]}" | head -n 15 |
            while IFS=$'\t' read -r remedy hits sum polarity; do
                printf '  %-10s %8s %6s %10s\n' "$remedy" "$hits" "$sum" "$polarity"
            done
    else
        "$cli" info
    fi
    exit 0
fi

if [ -x "$gui" ]; then
    exec "$gui" "$@"
fi
exec "$cli" info
