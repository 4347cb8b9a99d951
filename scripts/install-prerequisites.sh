#!/usr/bin/env bash
# Installs the Debian packages that building and testing need (libedit for
# line editing, GoogleTest, python3 and locales for the terminal tests), skipping what
# is there already. With --all, also what CI uses: clang and libFuzzer, the
# MinGW-w64 cross compilers and the 64-bit wine loader, valgrind, pmccabe,
# lintian, the packaging tools, and zsh, fish and bash-completion, whose
# completions are checked. With --web (which --all includes), what the web
# page needs: clang 14 and lld with the wasm32 C and C++ libraries for its
# module, node and npm for its scripts and tests, and chromium for them.
# Further Debian package names are installed too, unless dpkg has them.
# Usage: scripts/install-prerequisites.sh [--all | --web] [PACKAGE...]
set -euo pipefail

missing=()
need() { # COMMAND-OR-FILE PACKAGE
    if [[ $1 == /* ]]; then compgen -G "$1" >/dev/null || missing+=("$2"); else command -v "$1" >/dev/null || missing+=("$2"); fi
}
need cmake cmake
need g++ g++
need make make
need /usr/include/gtest/gtest.h libgtest-dev
need pkg-config pkg-config
need /usr/include/histedit.h libedit-dev
need python3 python3
need /usr/share/i18n/charmaps/ISO-8859-1.gz locales  # tests make Latin-1 and KOI8-R locales
all=
web=
[ "${1:-}" = --all ] && all=1 && web=1 && shift
[ "${1:-}" = --web ] && web=1 && shift
if [ -n "$web" ]; then
    need clang++-14 clang-14
    need wasm-ld-14 lld-14
    need /usr/lib/wasm32-wasi/libc.a wasi-libc
    need /usr/lib/wasm32-wasi/libc++.a libc++-14-dev-wasm32
    need /usr/lib/wasm32-wasi/libc++abi.a libc++abi-14-dev-wasm32
    need "/usr/lib/llvm-14/lib/clang/*/lib/wasi/libclang_rt.builtins-wasm32.a" libclang-rt-14-dev-wasm32
    need node nodejs
    need npm npm
    need chromium chromium
fi
if [ -n "$all" ]; then
    need clang++ clang
    need "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" libclang-rt-14-dev
    need i686-w64-mingw32-g++-posix g++-mingw-w64-i686
    need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64
    need /usr/lib/wine/wine64 wine64
    need pmccabe pmccabe
    need /usr/src/googletest/CMakeLists.txt googletest
    need valgrind valgrind
    need cc gcc
    need lintian lintian
    need man man-db
    need dpkg-shlibdeps dpkg-dev
    need makensis nsis
    need zsh zsh
    need fish fish
    need /usr/share/bash-completion/bash_completion bash-completion
fi
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
