#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and only those that are missing.
# Safe to run again: with everything present it changes nothing and makes no network call.
set -euo pipefail

packages=(
  # toolchain
  g++ make cmake ninja-build pkg-config git
  # libraries
  libcurl4-openssl-dev libssl-dev zlib1g-dev
  libzip-dev zipcmp zipmerge ziptool
  nlohmann-json3-dev libcpp-httplib-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev
  # tests: GoogleTest, real servers, a display for the few real-window tests
  libgtest-dev libgmock-dev nginx openssl ca-certificates xvfb xauth xdotool
  # fuzzing and benchmarks
  clang libclang-rt-14-dev libpugixml-dev
  # the download benchmark compares the engine with these
  aria2 time
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    run_as_root=(sudo)
  else
    echo "setup: missing packages (${missing[*]}) and not root: install them as root first" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
"${run_as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
