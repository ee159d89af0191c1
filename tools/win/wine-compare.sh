#!/usr/bin/env bash
# Runs the Win32 backend's self-check under wine, then the Windows host program on the sample documents,
# comparing its raw output byte for byte with the native build's (the native reference host over the
# native module). Each document is also tried cut short, where both builds must agree as well (both
# refuse, or both deliver the same).
#
# Usage: tools/win/wine-compare.sh <native build dir> <windows build dir>
# Skips with a message, successfully, when wine (with 32-bit support) is not available.
# Environment: LUMENAR_WINE, the command that runs a Windows program (default: wine).
set -uo pipefail

native=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=${LUMENAR_WINE:-wine}
reference="$native/tests/windows_reference_host"
module="$native/Lumenar5.so"
host="$windows/tools/win/lumenar.exe"

skip() {
  echo "wine comparison skipped: $*"
  exit 0
}

command -v "${wine%% *}" >/dev/null 2>&1 || skip "wine is not installed"
[ -x "$reference" ] && [ -f "$module" ] || { echo "wine comparison: native build incomplete in $native" >&2; exit 1; }
[ -f "$host" ] || { echo "wine comparison: no $host" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$windows/wineprefix}"
# Without a display wine creates no windows and message boxes return at once; with one, a refused
# document's throw reports would wait for a click.
unset DISPLAY
# Windows paths for the program's arguments where wine can translate them.
winpath() {
  if command -v winepath >/dev/null 2>&1; then winepath -w "$1" 2>/dev/null || echo "$1"; else echo "$1"; fi
}

if ! (cd "$work" && timeout 300 $wine "$host" --version >/dev/null 2>&1); then
  skip "wine cannot run 32-bit programs here"
fi

passed=0
failed=0
mkdir -p "$work/backend"
if (cd "$work" && timeout 300 $wine "$windows/tools/win/windows_backend_check.exe" "$(winpath "$work/backend")"); then
  passed=$((passed + 1))
else
  echo "FAIL Win32 backend self-check"
  failed=$((failed + 1))
fi

samples=()
for f in "$root"/examples/*.lmn "$root"/examples/*.krv; do
  [ -f "$f" ] && samples+=("$f")
done
# Something to compare even without samples: a file that is no document at all.
printf 'ZQLM\0\1not a document' > "$work/not-a-document.lmn"
samples+=("$work/not-a-document.lmn")

# Runs both builds on one document in a scratch directory each (reading creates its scratch file in
# the current directory) and compares exit status and output.
compare() {
  local doc=$1 name=$2
  mkdir -p "$work/native" "$work/windows"
  rm -f "$work/native/out.rgba" "$work/windows/out.rgba"
  (cd "$work/native" && timeout 300 "$reference" "$module" "$doc" out.rgba >/dev/null 2>&1)
  local nativeStatus=$?
  (cd "$work/windows" && timeout 300 $wine "$host" flatten "$(winpath "$doc")" out.rgba \
     --module "$(winpath "$windows/Lumenar5.dll")" >/dev/null 2>"$work/windows/stderr")
  local windowsStatus=$?
  if [ "$nativeStatus" != "$windowsStatus" ]; then
    echo "FAIL $name: native exit $nativeStatus, Windows exit $windowsStatus"
    sed 's/^/     /' "$work/windows/stderr"
    failed=$((failed + 1))
  elif [ "$nativeStatus" = 0 ] && ! cmp -s "$work/native/out.rgba" "$work/windows/out.rgba"; then
    echo "FAIL $name: outputs differ ($(cmp "$work/native/out.rgba" "$work/windows/out.rgba" 2>&1 | head -1))"
    failed=$((failed + 1))
  else
    echo "ok   $name (exit $nativeStatus)"
    passed=$((passed + 1))
  fi
}

for doc in "${samples[@]}"; do
  name=$(basename "$doc")
  compare "$doc" "$name"
  head -c 100 "$doc" > "$work/cut-$name"
  compare "$work/cut-$name" "$name cut to 100 bytes"
done
echo "wine comparison: $passed passed, $failed failed"
[ "$failed" = 0 ]
