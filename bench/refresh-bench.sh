#!/bin/sh
# Times kolumbra-cli xls --refresh on a workbook of 200 one-page tables of
# 20 fields after five of them changed (a field added, one dropped, a size
# changed), against an export of the same 200 tables into a new workbook,
# and prints seconds (wall, user, system) for both. With
# REFRESH_BENCH_FORMAT=xlsx the workbook is an .xlsx one; with
# REFRESH_BENCH_TABLES=N it holds N tables (at least 200) instead.
# usage: bench/refresh-bench.sh [KOLUMBRA_CLI]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/src/cli/kolumbra-cli}
[ -x "$cli" ] || { echo "refresh-bench: no kolumbra-cli at $cli" >&2; exit 2; }
. "$here/bench/wide-source.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tables=${REFRESH_BENCH_TABLES:-200}
[ "$tables" -ge 200 ] || { echo "refresh-bench: REFRESH_BENCH_TABLES must be 200 or more" >&2; exit 2; }
make_wide_source "$work" "refresh bench" "$tables"
export ODBCINI="$work/odbc.ini" ODBCSYSINI="$work"
format=${REFRESH_BENCH_FORMAT:-xls}

# timed LABEL ARGS...: one timed kolumbra-cli xls run.
timed() {
  label=$1; shift
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" xls "$@" 2>"$work/stderr" >"$work/stdout" ||
    { echo "refresh-bench: $label failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  awk -v l="$label" '{ printf "%-28s %7.2f s (user %6.2f s, system %6.2f s)\n", l, $1, $2, $3 }' "$work/time"
}

timed "export $tables tables" --dsn "refresh bench" "$work/book.$format"
cp "$work/book.$format" "$work/exported.$format"
sqlite3 "$work/wide.db" "
  ALTER TABLE T0010 ADD COLUMN G01 INTEGER;
  ALTER TABLE T0050 DROP COLUMN F05;
  ALTER TABLE T0100 ADD COLUMN G01 TEXT; ALTER TABLE T0100 DROP COLUMN F01;
  DROP TABLE T0150; CREATE TABLE T0150 (F01 VARCHAR(99), F02 VARCHAR(10));
  ALTER TABLE T0199 ADD COLUMN G01 INTEGER;"
timed "refresh $tables, 5 changed" --refresh --dsn "refresh bench" "$work/book.$format"
cat "$work/stdout"
rm -f "$work/fresh.$format"
timed "export the same $tables anew" --dsn "refresh bench" "$work/fresh.$format"
