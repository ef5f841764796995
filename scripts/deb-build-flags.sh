#!/usr/bin/env bash
# Prints, one to a line, the CMake options that configure a build folder as debian/rules would
# configure the packages' own: Debian's compiler and linker flags (hardened, line tables only)
# and Debian's install paths. scripts/test.sh builds its plain stage with them, so that
# scripts/package.sh can make the packages from that tree (CORVANE_PREBUILT_TREE) instead of
# compiling everything again.
# The file-prefix map is left out: it names the clone's folder, which would keep ccache from
# serving a second clone, and only makes the packages' debug paths relative.
set -euo pipefail
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_APPEND=-g1
flag() { dpkg-buildflags --get "$1" | sed -e 's/-ffile-prefix-map=[^ ]*//g' -e 's/  */ /g'; }
echo "-DCMAKE_BUILD_TYPE=None"
echo "-DCMAKE_CXX_FLAGS=$(flag CPPFLAGS) $(flag CXXFLAGS) -DNDEBUG"
echo "-DCMAKE_EXE_LINKER_FLAGS=$(flag LDFLAGS)"
echo "-DCMAKE_INSTALL_PREFIX=/usr"
echo "-DCMAKE_INSTALL_SYSCONFDIR=/etc"
echo "-DCMAKE_INSTALL_LOCALSTATEDIR=/var"
echo "-DCMAKE_INSTALL_LIBDIR=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
echo "-DCORVANE_SYSTEMD_UNIT_DIR=/lib/systemd/system"
