#!/usr/bin/env bash
# Installs the build and test dependencies with apt-get when they are missing (run as root).
# Usage: tools/install-deps.sh [--windows]
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake make g++ libgtest-dev libbenchmark-dev libpng-dev pkg-config; do
  have_pkg "$p" || need+=("$p")
done
if [ "${1:-}" = "--windows" ]; then
  for p in g++-mingw-w64-i686 binutils-mingw-w64-i686; do
    have_pkg "$p" || need+=("$p")
  done
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if [ "$(id -u)" != 0 ]; then
    echo "lumenar: missing packages (${need[*]}); run as root or install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
