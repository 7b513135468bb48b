#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run
# (with the argument "fuzz", to fuzz as well).
# As root, missing packages are installed with apt-get; otherwise the exact
# command to run is printed and the script fails.
set -euo pipefail

PACKAGES=(g++ make cmake pkg-config libgtest-dev libgmock-dev libsdl1.2-dev libsdl-net1.2-dev
  libboost1.81-dev libboost-json1.81-dev libssl-dev openssl)
# "fuzz": also clang and its libFuzzer runtime, for make fuzz.
if [[ "${1:-}" == fuzz ]]; then
  PACKAGES+=(clang libclang-rt-dev)
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
