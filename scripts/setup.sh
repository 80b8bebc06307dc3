#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -euo pipefail
packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsimpleini-dev nlohmann-json3-dev libcli11-dev libpcre2-dev
  python3-dev pybind11-dev python3-dask python3-distributed
  libzip-dev libpugixml-dev libdeflate-dev
  clang libclang-rt-14-dev
  xvfb xauth
  fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev file bash-completion
  libreoffice-writer-nogui pandoc
  qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
