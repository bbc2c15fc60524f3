#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache mold pkgconf
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpugixml-dev libopencc-dev libopencc-data
  libsqlite3-dev libpq-dev postgresql
  libboost-dev libmsgpack-cxx-dev libcli11-dev
  libfreetype-dev fonts-wqy-zenhei
  nlohmann-json3-dev chromium nodejs
)
# npm comes with some builds of nodejs; Debian's package only where it does not.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
