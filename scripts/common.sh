# Shared by run.sh, test.sh and .ci/run: installs what is missing and builds.
# shellcheck shell=bash

TESSALYN_PACKAGES=(
    build-essential cmake pkg-config python3
    qt6-base-dev qt6-translations-l10n qt6-svg-dev
    libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    fonts-dejavu-core poppler-utils desktop-file-utils appstream dpkg-dev
)

missing_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    echo "${missing[@]:-}"
}

# Installs the given packages when they are missing: as root with apt-get,
# otherwise prints the exact command and stops.
ensure_packages() {
    local missing
    missing=$(missing_packages "$@")
    if [ -z "$missing" ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Es fehlen Pakete. Bitte installieren mit:" >&2
        echo "  sudo apt-get install -y $missing" >&2
        exit 1
    fi
    echo "Installiere: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing
}

# Configures and builds into the given folder with extra CMake arguments.
build_into() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${TESSALYN_BUILD_TYPE:-RelWithDebInfo}" \
        -DTESSALYN_WERROR="${TESSALYN_WERROR:-OFF}" "$@"
    cmake --build "$dir" -j "$(nproc)"
}
