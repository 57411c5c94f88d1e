#!/usr/bin/env bash
# Builds the libraries of the user's own pictures for the Windows build:
# zlib, libpng and libimagequant from Debian's source packages of the
# releases installed natively (zlib1g-dev, libpng-dev, libimagequant-dev),
# cross-compiled with MinGW-w64 into static libraries.
#   cmake/photo-libraries-windows.sh ROOT
# ROOT gets zlib-windows/, libpng-windows/ and libimagequant-windows/, each
# with include/ and lib/. A finished build is kept: a second run with the
# same releases does nothing.
set -euo pipefail
root=$1
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$here/mingw-w64.cmake

# installed BINARY: the source package and release of an installed -dev package.
installed() {
    dpkg-query -W -f='${source:Package}=${source:Version}' "$1" 2>/dev/null || true
}

# fetch SOURCE=VERSION: the source package in the current folder, its Debian
# patches applied. A security update may have replaced the installed
# release's source in the archive; the archive's release of the same
# upstream version serves then, and the stamp says which one was built.
fetch() {
    local wanted=$1 name=${1%%=*}
    if apt-get source -qq "$wanted" >apt-source.log 2>&1; then
        echo "$wanted"
        return
    fi
    local upstream=${wanted#*=}
    upstream=${upstream#*:}
    upstream=${upstream%%-*}
    local candidate
    candidate=$(apt-cache showsrc "$name" 2>/dev/null | sed -n 's/^Version: //p' | grep -F -- "$upstream" | head -1 || true)
    if [ -n "$candidate" ] && apt-get source -qq "$name=$candidate" >apt-source.log 2>&1; then
        echo "$name=$candidate"
        return
    fi
    cat apt-source.log >&2
    echo "photo-libraries-windows: apt-get source $wanted failed (tools/setup enables Debian's source archive)" >&2
    return 1
}

# built PREFIX RELEASE LIBRARY: true when PREFIX already holds that build.
built() {
    [ -f "$1/.release" ] && [ "$(cat "$1/.release")" = "$2" ] && [ -f "$1/lib/$3" ]
}

# begin PREFIX: a fresh work folder beside PREFIX, made current.
begin() {
    rm -rf "$1.work" "$1"
    mkdir -p "$1.work" "$1/include" "$1/lib"
    cd "$1.work"
}

# finish PREFIX RELEASE SOURCE: drops the work folder and stamps the build
# with the installed release it stands for and the source it was made from.
finish() {
    cd /
    rm -rf "$1.work"
    echo "$3" >"$1/.source"
    echo "$2" >"$1/.release"
}

run() {
    local log=$1; shift
    "$@" >"$log" 2>&1 || { tail -30 "$log" >&2; exit 1; }
}

for package in zlib1g-dev libpng-dev libimagequant-dev; do
    if [ -z "$(installed $package)" ]; then
        echo "photo-libraries-windows: $package is not installed (run tools/setup)" >&2
        exit 1
    fi
done

# ---- zlib: its CMake build, the static library only ----------------------------
zlib=$root/zlib-windows
release=$(installed zlib1g-dev)
if ! built "$zlib" "$release" libz.a; then
    begin "$zlib"
    got=$(fetch "$release")
    src=$(find . -maxdepth 1 -type d -name 'zlib-*' | head -1)
    run configure.log cmake -S "$src" -B build -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
    run build.log cmake --build build -j"$(nproc)" --target zlibstatic
    cp build/libzlibstatic.a "$zlib/lib/libz.a"
    cp "$src/zlib.h" build/zconf.h "$zlib/include/"
    finish "$zlib" "$release" "$got"
fi

# ---- libpng: its CMake build, static, over that zlib ---------------------------
png=$root/libpng-windows
release=$(installed libpng-dev)
if ! built "$png" "$release" libpng16.a; then
    begin "$png"
    got=$(fetch "$release")
    src=$(find . -maxdepth 1 -type d -name 'libpng*' | head -1)
    run configure.log cmake -S "$src" -B build -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include"
    run build.log cmake --build build -j"$(nproc)" --target png_static
    cp "$(find build -maxdepth 1 -name 'libpng*.a' | head -1)" "$png/lib/libpng16.a"
    cp "$src/png.h" "$src/pngconf.h" build/pnglibconf.h "$png/include/"
    finish "$png" "$release" "$got"
fi

# ---- libimagequant: its CMake build, the static library, without OpenMP --------
liq=$root/libimagequant-windows
release=$(installed libimagequant-dev)
if ! built "$liq" "$release" libimagequant.a; then
    begin "$liq"
    got=$(fetch "$release")
    src=$(find . -maxdepth 1 -type d -name 'libimagequant-*' | head -1)
    run configure.log cmake -S "$src" -B build -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_DISABLE_FIND_PACKAGE_OpenMP=ON -DLIB_INSTALL_DIR=lib
    run build.log cmake --build build -j"$(nproc)" --target imagequant_a
    cp "$(find build -maxdepth 1 -name 'libimagequant_a.a' -o -maxdepth 1 -name 'libimagequant.a' | head -1)" \
        "$liq/lib/libimagequant.a"
    cp "$src/libimagequant.h" "$liq/include/"
    finish "$liq" "$release" "$got"
fi
