#!/usr/bin/env bash
# The project's commands.
#
#   ./run.sh test    build everything and run every test against the private server
#   ./run.sh demo    build and start the program on a demo installation
#   ./run.sh bench   build and run the benchmarks; prints "name: value unit" lines
#   ./run.sh package build the Debian package build/veldrun_<version>_<arch>.deb
#   ./run.sh format-check   check that every source file is in the tree's format
#
# Run as root on a fresh Debian 12 machine, the missing Debian packages are
# installed first.
set -euo pipefail
cd "$(dirname "$0")"

readonly ROOT_DIR=$(pwd)
readonly BUILD_DIR="$ROOT_DIR/build"
readonly FB_ROOT="$BUILD_DIR/fbserver"
readonly PACKAGES=(
    cmake g++ ninja-build
    qt6-base-dev libicu-dev
    firebird3.0-server firebird3.0-server-core firebird3.0-utils firebird-dev libfbclient2
    fonts-ipafont-mincho fonts-ipafont-gothic
    xvfb xauth poppler-utils
    unzip clang-format
    dpkg-dev file
)

say() { printf '== %s\n' "$*"; }

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "run.sh: missing Debian packages: ${missing[*]}" >&2
        echo "run.sh: install them with: sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
}

build() {
    install_packages
    say "building in $BUILD_DIR"
    cmake -S "$ROOT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}

server() { "$ROOT_DIR/scripts/fbserver.sh" "$1" "$FB_ROOT"; }

cmd_test() {
    build
    say "running the tests"
    server start
    local status=0
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" || status=$?
    server stop || true
    if [ $status -ne 0 ]; then
        say "tests FAILED"
    else
        say "all tests passed"
    fi
    return $status
}

cmd_bench() {
    build
    server start
    trap 'server stop >/dev/null || true' EXIT
    local status=0
    for b in "$BUILD_DIR"/bench/bench_*; do
        [ -f "$b" ] && [ -x "$b" ] || continue
        "$b" || status=$?
    done
    return $status
}

cmd_demo() {
    build
    # The server keeps running while the program runs; it is stopped at the
    # end only when this command started it.
    if ! server status >/dev/null 2>&1; then
        if (exec 3<>/dev/tcp/127.0.0.1/3060) 2>/dev/null; then
            say "using the Firebird server already listening on 127.0.0.1:3060"
        else
            server start
            trap 'server stop >/dev/null || true' EXIT
        fi
    fi
    say "demo installation in $BUILD_DIR/demo"
    "$ROOT_DIR/demo/create-demo.sh" "$BUILD_DIR"
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "run.sh: no display (DISPLAY is not set); the demo is ready in $BUILD_DIR/demo" >&2
        return 1
    fi
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        export XDG_RUNTIME_DIR="$BUILD_DIR/xdg-runtime"
        mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    fi
    say "starting $BUILD_DIR/VELDRUN in $BUILD_DIR/demo/VELDRUN"
    (cd "$BUILD_DIR/demo/VELDRUN" && "$BUILD_DIR/VELDRUN")
}

# The Debian package of the program: cpack in the build tree (dpkg-shlibdeps,
# from dpkg-dev, reads the library packages it depends on off the binary;
# cpack picks the binaries out with file).
cmd_package() {
    build
    say "packaging"
    (cd "$BUILD_DIR" && cpack -G DEB -B "$BUILD_DIR" >/dev/null)
    local deb
    deb=$(ls -t "$BUILD_DIR"/veldrun_*.deb | head -n 1)
    say "made $deb"
    dpkg-deb -f "$deb" Package Version Depends
}

# The format .clang-format describes; clang-format -i on a file fixes it.
cmd_format_check() {
    install_packages
    say "checking the format"
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
}

case "${1:-}" in
    test) cmd_test ;;
    format-check) cmd_format_check ;;
    demo) cmd_demo ;;
    bench) cmd_bench ;;
    package) cmd_package ;;
    *) echo "usage: $0 test|demo|bench|package|format-check" >&2; exit 2 ;;
esac
