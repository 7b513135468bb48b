#!/usr/bin/env bash
# Installs the Debian packages the project needs to build and run; with the
# argument "test", also Chromium, node with npm and the page's test modules
# (node_modules/, from package-lock.json) for the browser tests; with "fuzz",
# clang and libFuzzer as well.
# As root, missing packages are installed with apt-get; otherwise the exact
# command to run is printed and the script fails.
set -euo pipefail

PACKAGES=(g++ make cmake pkg-config libgtest-dev libgmock-dev libsdl1.2-dev libsdl-net1.2-dev
  libboost1.81-dev libboost-json1.81-dev libssl-dev openssl)
# "test": the page's tests drive Debian's Chromium from node. A nodejs package
# that bundles npm conflicts with Debian's separate npm package, so both are
# asked for only when a command is missing.
if [[ "${1:-}" == test ]]; then
  PACKAGES+=(chromium)
  if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    PACKAGES+=(nodejs npm)
  fi
fi
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

if [[ ${#missing[@]} -gt 0 ]]; then
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
fi

if [[ "${1:-}" == test ]] && (( $(node -p 'process.versions.node.split(".")[0]') < 18 )); then
  echo "node $(node --version) is too old for the page's tests: 18 or later is needed" >&2
  exit 1
fi

# The page's test modules, exactly as the lock file lists them, without their
# install scripts (nothing is downloaded but the modules themselves); npm
# needs no root for the project's own folder.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [[ "${1:-}" == test ]] &&
  [[ ! -d "$ROOT/node_modules" || "$ROOT/package-lock.json" -nt "$ROOT/node_modules" ]]; then
  echo "Installing the page's test modules (npm ci)"
  (cd "$ROOT" && npm ci --ignore-scripts --no-audit --no-fund && touch node_modules)
fi
