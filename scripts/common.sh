# Shared by ./run and ./test: install what the build needs, then configure and build.
set -euo pipefail

JZ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The one list of the Debian packages the build, the tests and the packaging need;
# scripts/check-packages fails the build when CMake used a package not covered here.
JZ_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite
             libsqlite3-dev sqlite3 libbenchmark-dev fonts-noto-cjk qt6-translations-l10n poppler-utils
             desktop-file-utils appstream dpkg-dev file libxlsxwriter-dev zlib1g-dev libminizip-dev unzip qt6-pdf-dev
             ccache lld lintian postgresql libqt6sql6-psql libpq-dev qtkeychain-qt6-dev)

# jz_installed PACKAGE: installed itself, or provided by an installed package (on Debian 13
# libqt6opengl6-dev is a virtual package that qt6-base-dev provides).
jz_installed() {
    dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q "install ok installed" && return 0
    dpkg-query -W -f='${Status}\t${Provides}\n' 2>/dev/null | grep "^install ok installed" |
        cut -f2 | tr ',' '\n' | sed 's/ *(.*//; s/^ *//; s/:.*//' | grep -qxF "$1"
}

jz_install() {
    local missing=()
    for p in "${JZ_PACKAGES[@]}"; do
        jz_installed "$p" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "安装所需软件包 / installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The compiler cache lives outside the clone, so that later clones on this machine (CI's)
# reuse it; paths are made relative to the clone so that another clone's folder hits too.
jz_ccache() {
    export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/jiazhuang/ccache}"
    export CCACHE_BASEDIR="$JZ_ROOT" CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-8G}"
    export CCACHE_SLOPPINESS="pch_defines,time_macros,include_file_mtime,include_file_ctime"
    mkdir -p "$CCACHE_DIR"
}

# jz_build DIR [cmake options...] [-- targets...]
jz_build() {
    local dir="$1"; shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift && targets=("$@")
    jz_ccache
    cmake -S "$JZ_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
          "${options[@]}" >/dev/null
    "$JZ_ROOT/scripts/check-packages" "$dir"
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
    else
        cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)"
    fi
}
