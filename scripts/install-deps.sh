#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Varnholt needs.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  liblzo2-dev libexpat1-dev libsystemd-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libx11-dev libxcb1-dev fonts-dejavu-core xvfb xauth
  clang-14 libclang-rt-14-dev libfuzzer-14-dev clang-format
  qstat lzop procps
  dpkg-dev lintian systemd man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
