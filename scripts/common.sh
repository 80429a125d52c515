# Shared by scripts/run and scripts/test: installs what is missing and builds.
# shellcheck shell=bash

KORVANA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the Debian packages among the arguments that are not installed yet.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "These packages are missing and sudo is not available: ${missing[*]}" >&2
            echo "Install them as root with: apt-get install ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What the program needs to build and run.
# libsqlite3-dev: the statistics window registers a collation on the SQLite
# connection under Qt SQL, through SQLite's own interface; libicu-dev: that
# collation and the grid's Russian order compare names with ICU itself;
# qt6-translations-l10n: Qt's own dialogs in Russian.
KORVANA_RUN_PACKAGES=(cmake make g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libicu-dev
    fonts-dejavu-core pkg-config libquazip1-qt6-dev libpugixml-dev libxlsxwriter-dev fonts-liberation2
    qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n)
# What the tests and benchmarks need on top; the package's test builds the Debian
# package (dpkg-dev, fakeroot, file for stripping) and validates its menu entry
# and AppStream metadata.
KORVANA_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev dpkg-dev fakeroot file desktop-file-utils appstream)

# build DIR [cmake options...]: configures and builds the tree in DIR.
build() {
    local dir=$1
    shift
    cmake -S "$KORVANA_ROOT" -B "$dir" "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
