#!/usr/bin/env bash
# Installs the build and test dependencies with apt-get when they are missing (run as root).
# Usage: tools/install-deps.sh [--windows | --fuzz]
#
# --fuzz adds clang with its sanitizer and libFuzzer runtimes (the runtime package of clang's own major
# version) and llvm's coverage tools.
#
# --windows adds the cross compiler and wine with 32-bit support (the i386 architecture is added for
# it). Wine is optional: when it cannot be installed (no root, a mirror out of step, no network) this
# says so loudly and carries on, and the Windows tests skip the parts that need it.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
apt_quiet() { apt-get -o DPkg::Lock::Timeout=600 -qq "$@"; }
for p in cmake make g++ libgtest-dev libbenchmark-dev libpng-dev libdeflate-dev pkg-config clang-format; do
  have_pkg "$p" || need+=("$p")
done
if [ "${1:-}" = "--windows" ]; then
  for p in g++-mingw-w64-i686 binutils-mingw-w64-i686; do
    have_pkg "$p" || need+=("$p")
  done
fi
if [ "${1:-}" = "--fuzz" ]; then
  have_pkg clang || need+=(clang)
  have_pkg llvm || need+=(llvm)
  if command -v clang >/dev/null 2>&1; then
    major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
    have_pkg "libclang-rt-$major-dev" || need+=("libclang-rt-$major-dev")
  else
    need+=(libclang-rt-dev)
  fi
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if [ "$(id -u)" != 0 ]; then
    echo "lumenar: missing packages (${need[*]}); run as root or install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt_quiet update
  apt_quiet install -y --no-install-recommends "${need[@]}"
fi

[ "${1:-}" = "--windows" ] || exit 0

# ---- wine with 32-bit support ---------------------------------------------------------------------
warn() {
  echo "************************************************************************************" >&2
  echo "lumenar: WARNING: $*" >&2
  echo "lumenar: the Windows tests that run the module under wine will be SKIPPED." >&2
  echo "************************************************************************************" >&2
}
has_i386() {
  local foreign
  foreign=$(dpkg --print-foreign-architectures)
  grep -qx i386 <<<"$foreign"
}
i386_packages() {
  local arches
  arches=$(dpkg-query -W -f='${Architecture}\n' 2>/dev/null || true)
  grep -cx i386 <<<"$arches" || true
}
# Takes the i386 architecture out again when nothing of it is installed, so that an update that the
# architecture broke cannot leave apt broken for everything else.
drop_i386() {
  if has_i386 && [ "$(i386_packages)" = 0 ]; then
    echo "lumenar: removing the i386 architecture again" >&2
    dpkg --remove-architecture i386 || true
    apt_quiet update || warn "apt-get update still fails after removing i386"
  fi
}

have_pkg wine && have_pkg wine32:i386 && command -v wine >/dev/null 2>&1 && exit 0
if [ "$(id -u)" != 0 ]; then
  warn "wine with 32-bit support is missing and this is not root: cannot install wine, wine32:i386"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: wine wine32:i386 (about 150 MB)"
has_i386 || dpkg --add-architecture i386
if ! apt_quiet update; then
  warn "apt-get update failed with the i386 architecture added"
  drop_i386
  exit 0
fi
# An update can succeed while the mirror offers no 32-bit wine (indexes out of step).
candidate=$(apt-cache policy wine32:i386 2>/dev/null || true)
if ! grep -q 'Candidate: [0-9]' <<<"$candidate"; then
  warn "the package server offers no wine32:i386"
  drop_i386
  exit 0
fi
if ! apt_quiet install -y --no-install-recommends wine wine32:i386; then
  warn "apt-get install wine wine32:i386 failed"
  apt_quiet -f install -y >/dev/null 2>&1 || true
  drop_i386
  exit 0
fi
echo "lumenar: wine installed ($(wine --version 2>/dev/null || echo 'version unknown'))"
