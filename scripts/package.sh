#!/usr/bin/env bash
# Builds the Debian packages (corvane: the desktop program, the screen saver and corvsnap;
# corvane-service: the service and corvquery) with dpkg-buildpackage, installing what the
# build needs when it is missing, and prints the paths of the packages it made.
#   scripts/package.sh [OUTPUT_DIR]     default build/packages
# The source is copied into a folder of its own first (CORVANE_PACKAGE_STAGE, default
# /var/tmp/corvane-package), so the build never touches the work tree and dpkg-buildpackage's
# results, written beside the source, land there before they are moved to OUTPUT_DIR.
# Compilations go through ccache when it is installed (its own cache folder, or $CCACHE_DIR).
# With CORVANE_PREBUILT_TREE naming a build folder configured with scripts/deb-build-flags.sh
# and built, nothing is compiled: the packages are made from that folder's programs.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/packages}")

scripts/deps.sh build
scripts/deps.sh package

# One fixed folder, so that the compiler's command lines (which name it) are the same from any
# clone and ccache serves the compilations of an earlier run; one build at a time uses it.
stage=${CORVANE_PACKAGE_STAGE:-/var/tmp/corvane-package}
mkdir -p "$stage" "$out"
exec 9>"$stage.lock"
flock 9
rm -rf "${stage:?}"/*
mkdir -p "$stage/corvane"
# Tracked files and new ones not ignored: what a commit of the work tree would hold.
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
  [ -e "$file" ] && printf '%s\0' "$file"
done | tar --null -T - -cf - | tar -xf - -C "$stage/corvane"

if [ -n "${CORVANE_PREBUILT_TREE:-}" ]; then
  CORVANE_PREBUILT_TREE=$(realpath "$CORVANE_PREBUILT_TREE")
  export CORVANE_PREBUILT_TREE
elif command -v ccache >/dev/null; then
  export CORVANE_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$stage/corvane CCACHE_NOHASHDIR=1
fi
(cd "$stage/corvane" && dpkg-buildpackage -b -us -uc -j"$(nproc)" >"$stage/build.log" 2>&1) || {
  tail -n 60 "$stage/build.log" >&2
  echo "dpkg-buildpackage failed; the whole log is $stage/build.log" >&2
  exit 1
}
rm -f "$out"/*.deb "$out"/*.ddeb "$out"/*.changes "$out"/*.buildinfo
for made in "$stage"/*.deb "$stage"/*.ddeb "$stage"/*.changes "$stage"/*.buildinfo; do
  [ -e "$made" ] && mv "$made" "$out/"
done
ls "$out"/*.deb
