#!/usr/bin/env bash
# Shared set-up of ./play and ./test: installs the Debian packages the build,
# the tests and the game need (only those missing, quietly), then configures
# and builds the tree given as $1 with the CMake options that follow.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-ttf-dev libepoxy-dev libsndfile1-dev libfluidsynth-dev
  libfontconfig-dev fonts-liberation2 timgm6mb-soundfont
  libegl-mesa0 libgl1-mesa-dri xvfb xauth
)
# Callers that need more (the fuzzers' compiler) name it here.
read -r -a extra <<<"${VARNO_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

# Callers may need more (scripts/package.sh).
read -r -a extra <<<"${VARNO_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -eq 0 ]; then
    asroot=()
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    asroot=(sudo -n)
  else
    echo "Varno needs these Debian packages, which are not installed:" >&2
    echo "  ${missing[*]}" >&2
    echo "Install them as root:  apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  if ! { "${asroot[@]}" apt-get update -qq && \
         "${asroot[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Installing the packages failed." >&2
    exit 1
  fi
  rm -f "$log"
fi

build_dir=$1
shift
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja "$@" >/dev/null
fi
# Build output is kept in a log; it is shown only when the build fails.
# VARNO_BUILD_TARGETS builds only those targets instead of everything.
read -r -a targets <<<"${VARNO_BUILD_TARGETS:-}"
if ! cmake --build "$build_dir" ${targets[@]:+--target "${targets[@]}"} >"$build_dir/build.log" 2>&1; then
  cat "$build_dir/build.log" >&2
  echo "Build failed." >&2
  exit 1
fi
