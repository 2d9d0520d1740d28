# Shared by ./run and ./test: install what the build needs, then configure and build.
set -euo pipefail

JZ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The one list of the Debian packages the build, the tests and the packaging need;
# scripts/check-packages fails the build when CMake used a package not covered here.
JZ_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
             libsqlite3-dev sqlite3 libbenchmark-dev fonts-noto-cjk qt6-translations-l10n poppler-utils
             desktop-file-utils appstream dpkg-dev file libxlsxwriter-dev zlib1g-dev unzip qt6-pdf-dev)

jz_install() {
    local missing=()
    for p in "${JZ_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "安装所需软件包 / installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# jz_build DIR [cmake options...] [-- targets...]
jz_build() {
    local dir="$1"; shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift && targets=("$@")
    cmake -S "$JZ_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    "$JZ_ROOT/scripts/check-packages" "$dir"
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
    else
        cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)"
    fi
}
