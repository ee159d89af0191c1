#!/usr/bin/env bash
# Runs the Windows build under wine and holds it against the native build:
#   1. the Win32 backend's self-check;
#   2. the About box, shown by the Windows host from the module's own dialog resource and closed by it,
#      against the dialog as the resource describes it;
#   3. the reports of a refused document reaching the host's "TFORM1"/"DebugString" window;
#   4. the sample documents, whole and cut short, one host run each;
#   5. seeded random documents from the test document builder, flattened by the native reference host
#      and by the Windows host in one run each, compared byte for byte, refusals included.
#
# Usage: tools/win/wine-compare.sh <native build dir> <windows build dir>
# Skips, loudly but successfully, when wine (with 32-bit support) is not available.
# Environment: LUMENAR_WINE, the command that runs a Windows program (default: wine);
# LUMENAR_WINE_DOCUMENTS (default 300) and LUMENAR_WINE_SEED (default 1) for step 5.
set -uo pipefail

native=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=${LUMENAR_WINE:-wine}
documents=${LUMENAR_WINE_DOCUMENTS:-300}
seed=${LUMENAR_WINE_SEED:-1}
reference="$native/tests/windows_reference_host"
generator="$native/tests/windows_random_documents"
dllcheck="$native/tests/windows_dll_check"
module="$native/Lumenar5.so"
host="$windows/tools/win/lumenar.exe"
dll="$windows/Lumenar5.dll"

skip() {
  echo "*****************************************************************************"
  echo "wine comparison SKIPPED: $*"
  echo "(install wine and wine32:i386, e.g. as root: tools/install-deps.sh --windows)"
  echo "*****************************************************************************"
  exit 0
}

command -v "${wine%% *}" >/dev/null 2>&1 || skip "wine is not installed"
for f in "$reference" "$generator" "$dllcheck" "$module"; do
  [ -e "$f" ] || { echo "wine comparison: native build incomplete ($f missing)" >&2; exit 1; }
done
[ -f "$host" ] && [ -f "$dll" ] || { echo "wine comparison: no $host or $dll" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The prefix lives with the build. Wine's null display driver creates windows without a display, so the
# module's dialogs and the debug-string window work headless; the host closes every dialog itself.
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$windows/wineprefix}" WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine comparison: creating the wine prefix $WINEPREFIX"
  timeout 300 wineboot -i >/dev/null 2>&1
fi
if ! grep -qs '^"Graphics"="null"' "$WINEPREFIX/user.reg"; then
  timeout 120 $wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # The desktop already running keeps the driver it started with: restart this prefix's server.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
fi
# Windows paths for the program's arguments where wine can translate them.
winpath() {
  if command -v winepath >/dev/null 2>&1; then winepath -w "$1" 2>/dev/null || echo "$1"; else echo "$1"; fi
}
windll=$(winpath "$dll")

if ! (cd "$work" && timeout 300 $wine "$host" --version >/dev/null 2>&1); then
  skip "wine cannot run 32-bit programs here"
fi

passed=0
failed=0
pass() { echo "ok   $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

# 1. The backend's own checks, one line each.
mkdir -p "$work/backend"
if (cd "$work" && timeout 300 $wine "$windows/tools/win/windows_backend_check.exe" "$(winpath "$work/backend")" \
      > "$work/backend.log" 2>&1); then
  pass "Win32 backend self-check:"
else
  fail "Win32 backend self-check (exit $?):"
fi
tr -d '\r' < "$work/backend.log" | sed 's/^/       /'

# 2. The About box as the Windows host saw it, against the dialog resource.
{ "$dllcheck" --about-layout "$dll" && echo "centred on its owner"; } > "$work/about.expected"
(cd "$work" && timeout 120 $wine "$host" about --module "$windll" 2>&1 | tr -d '\r' > "$work/about.seen")
if diff -u "$work/about.expected" "$work/about.seen" > "$work/about.diff"; then
  pass "About box from dialog resource 16000, as its resource describes it, closed by the host:"
  sed 's/^/       /' "$work/about.seen"
else
  fail "About box:"
  sed 's/^/     /' "$work/about.diff"
fi

# 3. A refused document: the throw report's message box, closed by the host, and the failure report in
# the host's debug-string window.
printf 'ZQLM\0\1not a document' > "$work/not-a-document.lmn"
(cd "$work" && timeout 120 $wine "$host" flatten not-a-document.lmn out.rgba --module "$windll" 2>&1 \
   | tr -d '\r' > "$work/refused.log")
if grep -qx 'lumenar: module report: Problem reading lumenar file.' "$work/refused.log" &&
   grep -q '^lumenar: message box: Exception Thrown: File: ' "$work/refused.log" &&
   grep -q 'refused the document (result 1)' "$work/refused.log"; then
  pass "refused document: reports reached the host's TFORM1 window"
else
  fail "refused document's reports:"
  sed 's/^/     /' "$work/refused.log"
fi

# 4. The sample documents, whole and cut short: exit status and output of one run each.
compare() {
  local doc=$1 name=$2
  mkdir -p "$work/native" "$work/windows"
  rm -f "$work/native/out.rgba" "$work/windows/out.rgba"
  (cd "$work/native" && timeout 300 "$reference" "$module" "$doc" out.rgba >/dev/null 2>&1)
  local nativeStatus=$?
  (cd "$work/windows" && timeout 300 $wine "$host" flatten "$(winpath "$doc")" out.rgba \
     --module "$windll" >/dev/null 2>"$work/windows/stderr")
  local windowsStatus=$?
  if [ "$nativeStatus" != "$windowsStatus" ]; then
    fail "$name: native exit $nativeStatus, Windows exit $windowsStatus"
    sed 's/^/     /' "$work/windows/stderr"
  elif [ "$nativeStatus" = 0 ] && ! cmp -s "$work/native/out.rgba" "$work/windows/out.rgba"; then
    fail "$name: outputs differ ($(cmp "$work/native/out.rgba" "$work/windows/out.rgba" 2>&1 | head -1))"
  else
    pass "$name (exit $nativeStatus)"
  fi
}
for doc in "$root"/examples/*.lmn "$root"/examples/*.krv; do
  [ -f "$doc" ] || continue
  name=$(basename "$doc")
  compare "$doc" "$name"
  head -c 100 "$doc" > "$work/cut-$name"
  compare "$work/cut-$name" "$name cut to 100 bytes"
done

# 5. Random documents: one native run and one wine run over all of them.
mkdir -p "$work/random" "$work/random-native" "$work/random-windows" "$work/run-native" "$work/run-windows"
compared=0 refusedAlike=0 differing=0
started=$SECONDS
if ! "$generator" "$work/random" "$documents" "$seed"; then
  fail "random documents could not be written"
elif ! (cd "$work/run-native" && timeout 300 "$reference" "$module" --all "$work/random" "$work/random-native" \
          > "$work/random-native.log" 2>&1); then
  fail "native run over the random documents:"
  tail -5 "$work/random-native.log" | sed 's/^/     /'
elif ! (cd "$work/run-windows" && timeout 300 $wine "$host" flatten-all "$(winpath "$work/random")" \
          "$(winpath "$work/random-windows")" --module "$windll" > "$work/random-windows.log" 2>&1); then
  fail "Windows run over the random documents:"
  tr -d '\r' < "$work/random-windows.log" | tail -5 | sed 's/^/     /'
else
  kept="$windows/wine-differences"
  rm -rf "$kept"
  while IFS= read -r name; do
    expected=$(grep -m1 -F "$name: " "$work/random-native/summary.txt")
    seen=$(grep -m1 -F "$name: " "$work/random-windows/summary.txt")
    why=""
    if [ "$expected" != "$seen" ]; then
      why="native \"${expected#*: }\", Windows \"${seen#*: }\""
    elif [[ "$expected" == *": refused: "* ]]; then
      refusedAlike=$((refusedAlike + 1))
    elif ! cmp -s "$work/random-native/$name.rgba" "$work/random-windows/$name.rgba"; then
      why="pixels differ ($(cmp "$work/random-native/$name.rgba" "$work/random-windows/$name.rgba" 2>&1 | head -1))"
    else
      compared=$((compared + 1))
    fi
    if [ -n "$why" ]; then
      differing=$((differing + 1))
      mkdir -p "$kept" && cp "$work/random/$name" "$kept/"
      [ "$differing" -le 10 ] && echo "FAIL random $name: $why"
    else
      passed=$((passed + 1))
    fi
  done < "$work/random/index.txt"
  failed=$((failed + differing))
  for run in native windows; do
    if [ -e "$work/run-$run/LRMerger.tmp" ]; then fail "the $run run left its scratch file behind"; fi
  done
  echo "random documents: $documents (seed $seed) in $((SECONDS - started)) s: compared $compared," \
       "refused alike $refusedAlike, differing $differing"
  [ "$differing" = 0 ] || echo "     the differing documents are kept in $kept"
fi
echo "wine-compare: $passed passed, $failed failed (documents compared: $compared, refused alike: $refusedAlike," \
     "differing: $differing)"
[ "$failed" = 0 ]
