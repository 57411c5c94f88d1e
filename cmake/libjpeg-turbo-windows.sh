#!/usr/bin/env bash
# Builds the JPEG library for the Windows build: Debian's libjpeg-turbo
# source package, the same release as the native libjpeg62-turbo-dev, cross-
# compiled with MinGW-w64 into a static library with its SIMD code (nasm).
#   cmake/libjpeg-turbo-windows.sh PREFIX
# PREFIX gets include/ and lib/libjpeg.a. A finished build is kept: a second
# run with the same release does nothing.
set -euo pipefail
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)

version=$(dpkg-query -W -f='${Version}' libjpeg62-turbo-dev 2>/dev/null || true)
if [ -z "$version" ]; then
    echo "libjpeg-turbo-windows: libjpeg62-turbo-dev is not installed (run tools/setup)" >&2
    exit 1
fi
stamp=$prefix/.release
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$prefix/lib/libjpeg.a" ]; then
    exit 0
fi

work=$prefix.work
rm -rf "$work" "$prefix"
mkdir -p "$work"
cd "$work"
# The source package of exactly the installed release, its Debian patches applied.
apt-get source -qq "libjpeg-turbo=$version" >apt-source.log 2>&1 || {
    cat apt-source.log >&2
    echo "libjpeg-turbo-windows: apt-get source failed (tools/setup enables Debian's source archive)" >&2
    exit 1
}
src=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)

cmake -S "$src" -B build -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
    -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
    -DCMAKE_ASM_NASM_COMPILER=nasm >configure.log 2>&1 || {
    tail -30 configure.log >&2
    exit 1
}
cmake --build build -j"$(nproc)" --target jpeg-static >build.log 2>&1 || {
    tail -30 build.log >&2
    exit 1
}
mkdir -p "$prefix/include" "$prefix/lib"
cp build/libjpeg.a "$prefix/lib/libjpeg.a"
cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" build/jconfig.h "$prefix/include/"
cd /
rm -rf "$work"
echo "$version" >"$stamp"
