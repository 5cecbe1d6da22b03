#!/usr/bin/env bash
# Builds the Debian package of Varno: installs what is missing (like ./test),
# builds the programs in build-package/ and packs the installed tree with
# CPack. The package's dependencies are computed from the programs and
# libraries by dpkg-shlibdeps. The last line printed is the package's path.
#   scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-package

# dpkg-shlibdeps (dpkg-dev) computes the dependencies; file tells CPack
# which files are programs and libraries to strip.
export VARNO_EXTRA_PACKAGES="dpkg-dev file"
export VARNO_BUILD_TARGETS="varno varno-sim varno_dist"
# Debian keeps the programs of games in /usr/games; the run path
# ($ORIGIN/../lib/varno) and the data folder search (../share/varno) find
# /usr/lib/varno and /usr/share/varno from there just as from /usr/bin.
"$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_INSTALL_BINDIR=games

cd "$build"
if ! cpack -G DEB >cpack.log 2>&1; then
  cat cpack.log >&2
  echo "Packing failed." >&2
  exit 1
fi
package=$(ls -t "$build"/varno_*.deb | head -n 1)
echo "$package"
