#!/usr/bin/env bash
# test_packaging.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir="$1" build_dir="$2"
app_id=io.github.lanmo_studio.jiazhuang
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The launcher follows the user's remembered ledger (a shared one, say): these runs
# keep settings of their own, so what the machine's user chose last cannot reach them.
export XDG_CONFIG_HOME="$work/config"
passed=0 failed=0 skipped=0

check() { # check NAME COMMAND...
    local name="$1"; shift
    if "$@" >"$work/out" 2>&1; then
        echo "PASS   : $name"; passed=$((passed + 1))
    else
        echo "FAIL!  : $name"; sed 's/^/    /' "$work/out"; failed=$((failed + 1))
    fi
}
skip() { echo "SKIP   : $1 ($2)"; skipped=$((skipped + 1)); }

# --- the package guard --------------------------------------------------------
# A cache naming a package configuration that a package outside the list owns,
# with dpkg answering for it, must fail and name that package.
guard_fails_on_outside_package() {
    mkdir -p "$work/guard/build" "$work/guard/cmake/Outside" "$work/guard/bin"
    touch "$work/guard/cmake/Outside/OutsideConfig.cmake"
    echo "Outside_DIR:PATH=$work/guard/cmake/Outside" > "$work/guard/build/CMakeCache.txt"
    cat > "$work/guard/bin/dpkg" <<FAKE
#!/bin/sh
[ "\$1" = "-S" ] && shift && for f in "\$@"; do echo "jz-outside-dev:amd64: \$f"; done
FAKE
    chmod +x "$work/guard/bin/dpkg"
    local output
    output="$(PATH="$work/guard/bin:$PATH" "$source_dir/scripts/check-packages" "$work/guard/build" 2>&1)"
    local status=$?
    echo "$output"
    [ $status -eq 1 ] && grep -q "jz-outside-dev (for $work/guard/cmake/Outside/OutsideConfig.cmake)" <<<"$output"
}
guard_passes_on_this_build() { "$source_dir/scripts/check-packages" "$build_dir"; }
check "guard fails on a package outside the list" guard_fails_on_outside_package
check "guard passes on this build" guard_passes_on_this_build

# --- the install tree ---------------------------------------------------------
stage="$work/stage"
check "cmake --install into a DESTDIR" env DESTDIR="$stage" cmake --install "$build_dir" --prefix /usr/local
root="$stage/usr/local"
installed_programs() {
    for p in jiazhuang jiazhuang-newdb jiazhuang-backup jiazhuang-launcher jiazhuang-server-init; do [ -x "$root/bin/$p" ] || { echo "no bin/$p"; return 1; }; done
}
check "programs in bin/" installed_programs
icon_sizes() {
    for size in 16 32 48 64 128 256; do
        local icon="$root/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
        file "$icon" | grep -q "PNG image data, $size x $size," || { file "$icon"; return 1; }
    done
    file "$root/share/pixmaps/$app_id.png" | grep -q "PNG image data, 350 x 350,"
}
check "hicolor icons at every size, the 350 px picture" icon_sizes
if command -v desktop-file-validate >/dev/null; then
    check "desktop entry validates" desktop-file-validate "$root/share/applications/$app_id.desktop"
else
    skip "desktop entry validates" "desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
    check "metainfo validates" appstreamcli validate --no-net "$root/share/metainfo/$app_id.metainfo.xml"
else
    skip "metainfo validates" "appstreamcli is not installed"
fi

# --- the launcher ---------------------------------------------------------------
# A folder that cannot be made: a clear message, nothing created.
launcher_refuses_unmakeable_folder() {
    touch "$work/plainfile"
    local output
    output="$("$root/bin/jiazhuang-launcher" "$work/plainfile/账簿" 2>&1)"
    local status=$?
    echo "$output"
    [ $status -ne 0 ] && grep -q "无法创建账簿文件夹“$work/plainfile/账簿”" <<<"$output" && [ ! -e "$work/plainfile/账簿" ]
}
check "launcher refuses a folder it cannot make" launcher_refuses_unmakeable_folder
# A new folder: made, with an empty ledger, and the program runs in it.
launcher_prepares_folder() {
    local folder="$work/home/家装账簿"
    local output
    output="$(JZ_STARTUP_PROBE=1 "$root/bin/jiazhuang-launcher" "$folder" 2>&1)" || return 1
    echo "$output"
    grep -qx idle <<<"$output" && [ "$(sqlite3 "$folder/家装账簿.mdb" 'select count(*) from 项目')" -gt 0 ] &&
        [ -z "$(find "$folder" -name '*.tmp*')" ]
}
check "launcher makes the folder and an empty ledger, then starts the program" launcher_prepares_folder
# An existing ledger is never replaced.
launcher_keeps_ledger() {
    local folder="$work/home/家装账簿"
    sqlite3 "$folder/家装账簿.mdb" "insert into 项目(NAMES) values('留着')" || return 1
    JZ_STARTUP_PROBE=1 "$root/bin/jiazhuang-launcher" "$folder" >/dev/null 2>&1 || return 1
    [ "$(sqlite3 "$folder/家装账簿.mdb" "select count(*) from 项目 where NAMES='留着'")" = 1 ]
}
check "launcher keeps an existing ledger" launcher_keeps_ledger

# --- the Debian package -------------------------------------------------------
debian_release="$(. /etc/os-release && echo "${VERSION_ID%%.*}")"
deb=""
debian_package() {
    (cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/deb") || return 1
    # One package per release: the name says which Debian its dependencies are for.
    deb="$(ls "$work"/deb/jiazhuang_*_debian"$debian_release".deb)" || return 1
    local depends contents
    depends="$(dpkg-deb -f "$deb" Depends)"
    contents="$(dpkg-deb -c "$deb")"
    echo "Depends: $depends"
    grep -q libqt6widgets6 <<<"$depends" && grep -q libsqlite3-0 <<<"$depends" &&
        grep -q libqt6sql6-sqlite <<<"$depends" && grep -q libqt6sql6-psql <<<"$depends" &&
        grep -q libqt6keychain1 <<<"$depends" &&
        grep -q "./usr/bin/jiazhuang-newdb" <<<"$contents" &&
        grep -q "./usr/share/applications/$app_id.desktop" <<<"$contents" &&
        grep -q "./usr/share/icons/hicolor/256x256/apps/$app_id.png" <<<"$contents" &&
        grep -q "./usr/share/doc/jiazhuang/copyright" <<<"$contents" &&
        grep -q "./usr/share/doc/jiazhuang/changelog.gz" <<<"$contents" &&
        for program in jiazhuang jiazhuang-newdb jiazhuang-backup jiazhuang-launcher jiazhuang-server-init; do
            grep -q "./usr/share/man/man1/$program.1.gz" <<<"$contents" || return 1
        done
}
# Stripped programs with full RELRO: lintian's errors and the hardening warning.
package_programs_stripped_and_bound_now() {
    [ -n "$deb" ] || return 1
    dpkg-deb -x "$deb" "$work/unpacked" || return 1
    local program
    for program in "$work"/unpacked/usr/bin/*; do
        file "$program" | grep -q "not stripped" && { echo "$program is not stripped"; return 1; }
        readelf -d "$program" | grep -q "BIND_NOW\|FLAGS.*NOW" || { echo "$program lacks BIND_NOW"; return 1; }
    done
    # The long description is more than a line.
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ]
}
package_passes_lintian() {
    [ -n "$deb" ] || return 1
    lintian --fail-on error "$deb"
}
if command -v dpkg-shlibdeps >/dev/null; then
    check "cpack builds this release's Debian package with computed Depends" debian_package
    check "the package's programs are stripped and bound at start" package_programs_stripped_and_bound_now
    if command -v lintian >/dev/null; then
        check "lintian reports no error on the package" package_passes_lintian
    else
        skip "lintian reports no error" "lintian is not installed"
    fi
else
    skip "cpack builds a Debian package" "dpkg-shlibdeps (dpkg-dev) is not installed"
fi

echo "Totals: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
