#!/usr/bin/env bash
# Cross-compiles Quaymaster for 64-bit Windows with MinGW-w64 and packages
# the installer.
#
#   scripts/build-windows.sh [build-dir]      default: build-win
#
# 1. scripts/build-windows-deps.sh builds (or finds in its cache) minizip,
#    wxWidgets for MSW and GoogleTest for MinGW;
# 2. CMake with cmake/mingw-w64-x86_64.cmake builds every library,
#    quaymaster-cli.exe, quaymaster.exe (when app/ exists), the printer
#    simulator and the test programs;
# 3. makensis packs <build-dir>/quaymaster-setup.exe from
#    packaging/windows/quaymaster.nsi.
# Extra CMake arguments may follow the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$(realpath -m "${1:-build-win}")"
shift || true
jobs="$(nproc)"

deps="$(scripts/build-windows-deps.sh)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DQM_WIN_DEPS="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_BENCH=OFF "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$jobs"

# Staging folder: what the installer carries.
stage="$dir/stage"
rm -rf "$stage"
mkdir -p "$stage/docs"
cp "$dir/cli/quaymaster-cli.exe" "$stage/"
defines=()
if [ -f "$dir/app/quaymaster.exe" ]; then
  cp "$dir/app/quaymaster.exe" "$stage/"
  defines+=(-DHAVE_APP)
fi
help=$(find "$dir/app" "$dir/docs" -name qmhelp.htb 2>/dev/null | head -n1 || true)
if [ -n "$help" ]; then
  cp "$help" "$stage/docs/"
  defines+=(-DHAVE_HELP)
fi
cp README.md docs/*.md "$stage/docs/"
version=$(sed -n 's/^project(Quaymaster VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$dir/quaymaster-setup.exe" -DVERSION="$version" -DAPPICON="$PWD/app/quaymaster.ico" \
  "${defines[@]}" packaging/windows/quaymaster.nsi
echo "build-windows: $dir/quaymaster-setup.exe"
