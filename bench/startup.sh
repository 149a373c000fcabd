#!/usr/bin/env bash
# Start-up cost: fmhost starting the plug-in (its Java VM included) and
# calling one function, as a whole process, beside `java -version` on the
# same runtime. Mean wall time of RUNS runs each (default 10).
set -euo pipefail
build=${1:-build}
runs=${2:-10}
java_home=$(readlink -f /usr/lib/jvm/default-java)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/temp" "$work/docs"
export TEMP="$work/temp" XDG_DOCUMENTS_DIR="$work/docs"
unset VNT_REGISTRY

mean_ms() { # command...
  local start end total=0
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    total=$((total + end - start))
  done
  echo $((total / runs / 1000000))
}

[ "$("$build/fmhost" -e jdbcVersion 2>/dev/null)" = 1.7 ] || { echo "fmhost -e jdbcVersion does not print 1.7" >&2; exit 1; }
fmhost_ms=$(mean_ms "$build/fmhost" -e jdbcVersion)
java_ms=$(mean_ms "$java_home/bin/java" -version)
echo "fmhost -e jdbcVersion  $fmhost_ms ms"
echo "java -version          $java_ms ms"
