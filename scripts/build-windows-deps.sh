#!/usr/bin/env bash
# Builds the libraries the Windows build needs and Debian does not ship for
# MinGW: minizip (from Debian's zlib source package), static wxWidgets for
# MSW (from Debian's wxwidgets3.2 source package) and GoogleTest (from
# /usr/src/googletest).
#
#   scripts/build-windows-deps.sh          build when missing, print the prefix
#
# The result is a prefix folder (include/, lib/, bin/wx-config) in a cache
# outside the clone: $QM_WIN_CACHE, default ~/.cache/quaymaster-win. Its
# name carries the source package versions, the compiler version and the
# recipe number below, so a later run with the same inputs reuses it and
# does not touch the network. Sources are fetched with apt-get source
# through a private source list and lists folder: the machine's apt
# configuration is read (for its Debian mirror) but never changed.
# Progress goes to standard error; the prefix is the only line on standard
# output.
set -euo pipefail

# Bump when the build flags below change, so that caches are rebuilt.
recipe=2
host=x86_64-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
cache="${QM_WIN_CACHE:-$HOME/.cache/quaymaster-win}"
jobs="${QM_WIN_JOBS:-$(nproc)}"

log() { echo "build-windows-deps: $*" >&2; }
die() { log "$*"; exit 1; }

command -v "$cxx" >/dev/null || die "$cxx is missing (scripts/install-deps.sh installs it)"

# The Debian mirror the machine already uses (deb822 or one-line sources).
debian_mirror() {
  local uri
  uri=$(awk '/^URIs:/ {print $2}' /etc/apt/sources.list.d/*.sources 2>/dev/null |
        grep -v -- '-security' | head -n1) || true
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && $0 !~ /security/ {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}' \
          /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || die "no Debian mirror in the machine's apt sources"
  echo "$uri"
}

# A private source list and lists folder, kept in the cache so that an
# unchanged index is not downloaded again. Without a network the lists of
# the last run are used.
apt_dir="$cache/apt"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=$(id -un)" -q)
update_source_lists() {
  local codename mirror
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  mirror=$(debian_mirror)
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  {
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename main"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename-updates main"
  } > "$apt_dir/sources.list"
  apt-get "${apt_opts[@]}" update >/dev/null 2>&1 ||
    log "cannot refresh the source lists from $mirror; using the ones from the last run"
}

# The newest version of a source package the lists offer.
source_version() {
  apt-cache "${apt_opts[@]}" showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' |
    sort -V | tail -n1 | grep . || die "no source package $1 in $apt_dir"
}

update_source_lists
zlib_version=$(source_version zlib)
wx_version=$(source_version wxwidgets3.2)
gtest_version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null) || die "package googletest is missing"
gcc_version=$("$cxx" -dumpversion)
key="zlib-${zlib_version}_wx-${wx_version}_gtest-${gtest_version}_gcc-${gcc_version}_r${recipe}"
key=${key//[:~+]/-}
prefix="$cache/$key"

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

start=$SECONDS
work="$cache/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"

fetch_sources() {
  log "fetching zlib $zlib_version and wxwidgets3.2 $wx_version"
  (cd "$work" && apt-get "${apt_opts[@]}" source --download-only \
     "zlib=$zlib_version" "wxwidgets3.2=$wx_version" >/dev/null)
  (cd "$work" && for dsc in zlib_*.dsc wxwidgets3.2_*.dsc; do
     dpkg-source --no-check -x "$dsc" >/dev/null
   done)
}

build_minizip() {
  local src
  src=$(find "$work" -maxdepth 1 -type d -name 'zlib-*' | head -n1)/contrib/minizip
  [ -f "$src/zip.c" ] || die "no minizip sources in the zlib package"
  log "building minizip"
  mkdir -p "$work/minizip" "$prefix/include/minizip" "$prefix/lib/pkgconfig"
  local objs=()
  for f in ioapi iowin32 zip unzip; do
    "$cc" -O2 -c "$src/$f.c" -o "$work/minizip/$f.o" -I"$src"
    objs+=("$work/minizip/$f.o")
  done
  "$host-ar" rcs "$prefix/lib/libminizip.a" "${objs[@]}"
  cp "$src"/{ioapi.h,iowin32.h,zip.h,unzip.h,crypt.h} "$prefix/include/minizip/"
  cat > "$prefix/lib/pkgconfig/minizip.pc" <<EOF
prefix=$prefix
Name: minizip
Description: zip and unzip through zlib (Debian's zlib source, built for MinGW)
Version: ${zlib_version}
Cflags: -I\${prefix}/include/minizip
Libs: -L\${prefix}/lib -lminizip -lz
EOF
}

# Static wxMSW with only what the programs use: base, core (windows, dialogs,
# list, tree-list and check-list controls, SVG bitmaps through the bundled
# nanosvg), adv and html (the help viewer), optimised with -O1 to keep the
# build short. Debian's source has no bundled png, jpeg, tiff, zlib or
# expat: the MinGW zlib stands in for zlib, and the rest is switched off,
# with every library and control nobody uses.
build_wx() {
  local src
  src=$(find "$work" -maxdepth 1 -type d -name 'wxwidgets3.2-*' | head -n1)
  [ -d "$src/src/msw" ] || die "no wxWidgets sources"
  log "configuring wxWidgets for MSW"
  mkdir -p "$work/wx-build"
  local unused=(
    --disable-svg --disable-xrc --disable-aui --disable-propgrid --disable-ribbon --disable-richtext
    --disable-stc --disable-webview --disable-webviewie --disable-webviewedge --disable-mediactrl
    --disable-debugreport --disable-sockets --disable-ipc --disable-protocols --disable-url
    --disable-fs_inet --disable-webrequest --disable-dialupman --disable-fswatcher --disable-secretstore
    --disable-docview --disable-mdi --disable-mdidoc --disable-printarch --disable-postscript
    --disable-ps-in-msw --disable-graphics-d2d --disable-calendar --disable-datepick --disable-timepick
    --disable-animatectrl --disable-bannerwindow --disable-commandlinkbutton --disable-editablebox
    --disable-addremovectrl --disable-rearrangectrl --disable-grid --disable-richtooltip
    --disable-tipwindow --disable-tipdlg --disable-wizarddlg --disable-splash --disable-joystick
    --disable-sound --disable-prefseditor --disable-taskbaricon --disable-notifmsg --disable-creddlg
    --disable-finddlg --disable-spellcheck --disable-uiactionsim --disable-actindicator --disable-hotkey
    --disable-gif --disable-pcx --disable-tga --disable-iff --disable-pnm
  )
  (cd "$work/wx-build" &&
   "$src/configure" --host=$host --build="$(gcc -dumpmachine)" --prefix="$prefix" \
     CC="$cc" CXX="$cxx" CFLAGS="-O1" CXXFLAGS="-O1" \
     --with-msw --disable-shared --enable-unicode --disable-debug_info \
     --with-zlib=sys --with-regex=builtin --without-libpng --without-libjpeg --without-libtiff \
     --without-expat --without-liblzma --without-libcurl --without-opengl "${unused[@]}" \
     >"$work/wx-configure.log" 2>&1) || { tail -n 30 "$work/wx-configure.log" >&2; die "wxWidgets configure failed"; }
  log "building wxWidgets (about $((jobs > 1 ? 8 : 15)) minutes)"
  (cd "$work/wx-build" && make -j"$jobs" >"$work/wx-make.log" 2>&1 && make install >>"$work/wx-make.log" 2>&1) ||
    { tail -n 40 "$work/wx-make.log" >&2; die "wxWidgets build failed"; }
}

build_gtest() {
  log "building GoogleTest"
  cmake -S /usr/src/googletest -B "$work/gtest-build" \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_RC_COMPILER="$host-windres" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$work/gtest-build" -j"$jobs" >/dev/null
  cmake --install "$work/gtest-build" >/dev/null
}

fetch_sources
build_minizip
build_gtest
build_wx
touch "$prefix/.complete"
rm -rf "$work"
log "done in $((SECONDS - start)) s: $prefix"
echo "$prefix"
