#!/usr/bin/env bash
# Installs every system package Quaymaster needs to build, run and test.
# Idempotent; runs as root (or through sudo) on Debian 12.
set -euo pipefail

packages=(
  build-essential g++ cmake make pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libminizip-dev libsqlite3-dev tcl
  libcups2-dev cups cups-client cups-bsd cups-filters
  cups-ipp-utils avahi-daemon dbus
  libwxgtk3.2-dev adwaita-icon-theme hicolor-icon-theme
  ghostscript fonts-urw-base35 xvfb poppler-utils
  openbox x11-utils
  python3 zip unzip tar time groff-base socat
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64 nsis dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
# A desktop package may start the system scheduler; the program and its tests
# run a private one and leave the system's alone. The driverless-queue tests
# start D-Bus and Avahi (for ippeveprinter) when they do not run.
