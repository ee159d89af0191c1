#!/usr/bin/env bash
# End-to-end benchmark of `lumenar flatten`: generates the benchmark document (SIZE x SIZE, eight
# full-canvas layers), then reports the wall time and peak resident memory of one flatten, and the time
# spent in each phase (selectors measured by the tool, and the engine's load and flatten on their own).
#
# Usage: bench/flatten-e2e.sh [BUILD_DIR] [SIZE]     (defaults: build, 4096)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
size=${2:-4096}
tool="$build/tools/lumenar"
generator="$build/tools/make_flatten_document"
for program in "$tool" "$generator"; do
  [ -x "$program" ] || { echo "flatten-e2e: $program is missing; build first" >&2; exit 1; }
done
if [ ! -x /usr/bin/time ]; then
  if [ "$(id -u)" = 0 ]; then apt-get install -y -qq time >/dev/null; else echo "flatten-e2e: needs /usr/bin/time (apt-get install time)" >&2; exit 1; fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"   # the module's scratch file goes to the working directory
"$generator" bench.lmn "$size" >/dev/null
echo "document: ${size} x ${size}, 8 layers, $(stat -c %s bench.lmn) bytes"

/usr/bin/time -v -o time.txt "$tool" flatten --quiet bench.lmn out.png >/dev/null
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' time.txt)
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' time.txt)
echo "flatten: wall ${wall}, peak resident ${rss} kB ($((rss / 1024)) MB)"

"$tool" flatten --quiet --timings bench.lmn out.png 2>timings.txt >/dev/null
sed -n 's/^lumenar: timings: /phases: /p' timings.txt
