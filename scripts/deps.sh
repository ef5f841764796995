#!/usr/bin/env bash
# Installs the Debian packages Corvane needs, only those that are missing.
#   scripts/deps.sh build   what building and running needs
#   scripts/deps.sh test    that plus what the tests and benchmarks use
#   scripts/deps.sh package what building the Debian packages needs (scripts/package.sh)
set -euo pipefail

build_packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                libcurl4-openssl-dev libmicrohttpd-dev libsystemd-dev qt6-base-dev qt6-svg-dev libxcb1-dev scdoc
                libsimdjson-dev libyaml-cpp-dev libcrypt-dev libgnutls28-dev qt6-l10n-tools
                libcairo2-dev)
test_packages=(prometheus-node-exporter prometheus xvfb clang clang-format libclang-rt-14-dev
               openbox xdotool x11-apps x11-utils imagemagick dbus-daemon at-spi2-core python3-pyatspi
               qt6-base-private-dev xscreensaver python3-dbusmock
               lintian appstream desktop-file-utils xdg-utils trayer weston qt6-wayland
               python3-dbus python3-gi libglib2.0-bin openssl chromium chromium-driver
               python3-selenium)
# What scripts/package.sh needs to build the Debian packages.
package_packages=(debhelper dpkg-dev fakeroot ccache)

wanted=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then wanted+=("${test_packages[@]}" "${package_packages[@]}"); fi
if [ "${1:-build}" = package ]; then wanted=("${package_packages[@]}"); fi

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "Missing packages and neither root nor sudo: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
