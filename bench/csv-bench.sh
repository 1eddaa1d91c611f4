#!/bin/sh
# Times kolumbra-cli csv listing every table of nwind.mdb, of hanbai.mdb, and
# of a SQLite database of 200 tables of 20 fields read through the SQLite3
# ODBC driver, and prints seconds and lines written.
# usage: bench/csv-bench.sh [KOLUMBRA_CLI] [FIXTURES_MDB_FOLDER]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/src/cli/kolumbra-cli}
mdb=${2:-$here/../shared/fixtures/mdb}
[ -x "$cli" ] || { echo "csv-bench: no kolumbra-cli at $cli" >&2; exit 2; }
. "$here/bench/wide-source.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run LABEL ARGS...: one timed listing into a new file.
run() {
  label=$1; shift
  out="$work/$label.csv"
  rm -f "$out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" csv "$@" "$out" 2>"$work/stderr" >/dev/null ||
    { echo "csv-bench: $label failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  n=$(wc -l <"$out")
  # Wall-clock seconds, and the processor seconds that do not depend on
  # how busy the machine is.
  awk -v l="$label" -v n="$n" '{
    printf "%-22s %6.2f s (cpu %5.2f s) %6d lines\n", l, $1, $2 + $3, n
  }' "$work/time"
}

make_wide_source "$work" "csv bench"
run nwind.mdb "$mdb/nwind.mdb"
run hanbai.mdb --jap "$mdb/hanbai.mdb"
ODBCINI=$work/odbc.ini ODBCSYSINI=$work run "sqlite 200x20 (ODBC)" --dsn "csv bench"
