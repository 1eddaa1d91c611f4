#!/usr/bin/env bash
# Times kolumbra-cli on 2,000 tables of an integer key and 19 varchar(20)
# fields, once in a PostgreSQL database (a cluster of its own, started and
# stopped here like the tests' servers) and once in a SQLite database read
# through the SQLite3 ODBC driver: the table list, the CSV of every table
# and the workbook of every table, then the ratio of the two workbooks.
# Then counts the catalogue requests each command makes, from a driver
# manager trace of a second run.
# usage: bench/pg-catalogue-bench.sh [--hold] [KOLUMBRA_CLI]
#   --hold: after the figures, print the environment and the commands and
#   keep both databases until Enter, for timing them with other tools.
set -euo pipefail
hold=false
[ "${1:-}" = --hold ] && { hold=true; shift; }
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/src/cli/kolumbra-cli}
[ -x "$cli" ] || { echo "pg-catalogue-bench: no kolumbra-cli at $cli" >&2; exit 2; }
servers=$here/tests/engine/db/servers/db-servers
sqlite_driver=$(ls /usr/lib/*/odbc/libsqlite3odbc.so /usr/lib/odbc/libsqlite3odbc.so 2>/dev/null | head -n 1 || true)
[ -n "$sqlite_driver" ] || { echo "pg-catalogue-bench: needs the SQLite3 ODBC driver" >&2; exit 2; }
state=$(mktemp -d)
work=$(mktemp -d)
trap '"$servers" stop "$state"; rm -rf "$state" "$work"' EXIT

# The same tables for both databases.
{
  echo "BEGIN;"
  for t in $(seq -w 1 2000); do
    printf 'CREATE TABLE t%s (c01 integer PRIMARY KEY' "$t"
    for c in $(seq -w 2 20); do printf ', c%s varchar(20)' "$c"; done
    echo ');'
  done
  echo "COMMIT;"
} >"$work/tables.sql"

"$servers" start "$state"
grep -q PostgreSQL "$state/missing" && { echo "pg-catalogue-bench: PostgreSQL is not installed" >&2; exit 2; }
run=$(cat "$state/runtime")
psql -X -q -v ON_ERROR_STOP=1 -h "$run" -U kolumbra -d postgres -c "CREATE DATABASE bench" >/dev/null
psql -X -q -v ON_ERROR_STOP=1 -h "$run" -U kolumbra -d bench -f "$work/tables.sql" >/dev/null
sqlite3 "$work/bench.db" ".read $work/tables.sql"
sed -n '/^\[Kolumbra PostgreSQL\]/,/^$/p' "$state/odbc.ini" | sed 's/^\[Kolumbra PostgreSQL\]/[pg]/; s/^Database=shop/Database=bench/' \
  >"$work/odbc.ini"
printf '[sqlite]\nDriver=%s\nDatabase=%s\n' "$sqlite_driver" "$work/bench.db" >>"$work/odbc.ini"
export ODBCINI=$work/odbc.ini ODBCSYSINI=$work
: >"$work/odbcinst.ini"
tables=$("$cli" tables --dsn pg | wc -l)
[ "$("$cli" tables --dsn sqlite | wc -l)" -eq "$tables" ] || { echo "pg-catalogue-bench: table lists differ" >&2; exit 1; }

# timed LABEL ARGS...: wall-clock and processor seconds of one run; the
# wall-clock seconds also go to $work/LABEL.
timed() {
  label=$1; shift
  rm -f "$work"/*.csv "$work"/*.xls
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" "$@" >/dev/null 2>"$work/stderr" ||
    { echo "pg-catalogue-bench: $label failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  awk -v l="$label" '{ printf "%-24s %6.2f s (cpu %5.2f s)\n", l, $1, $2 + $3 }' "$work/time"
  cut -d' ' -f1 "$work/time" >"$work/$label.seconds"
}

# calls LABEL ARGS...: catalogue requests of one run, from the trace:
# the driver's catalogue functions and the queries run by the program.
calls() {
  label=$1; shift
  printf '[ODBC]\nTrace=Yes\nTraceFile=%s\n' "$work/trace" >"$work/odbcinst.ini"
  rm -f "$work/trace" "$work"/*.csv "$work"/*.xls
  "$cli" "$@" >/dev/null 2>&1 || true
  : >"$work/odbcinst.ini"
  printf '%-16s' "$label"
  for f in SQLTables SQLColumns SQLPrimaryKeys SQLStatistics SQLExecDirect SQLExecute; do
    n=$(awk -v f="[$f.c]" 'index($0, f) { getline next_line; if (next_line ~ /Entry:/) c++ } END { print c + 0 }' \
      "$work/trace")
    printf ' %s %d' "$f" "$n"
  done
  echo
}

echo "$tables tables in each database"
for dsn in pg sqlite; do
  timed "$dsn tables" tables --dsn $dsn
  timed "$dsn csv" csv --dsn $dsn "$work/$dsn.csv"
  timed "$dsn xls" xls --dsn $dsn "$work/$dsn.xls"
done
awk 'NR == FNR { pg = $1; next } { printf "%-24s %6.2f\n", "xls pg / sqlite", pg / $1 }' \
  "$work/pg xls.seconds" "$work/sqlite xls.seconds"
for dsn in pg sqlite; do
  calls "$dsn tables" tables --dsn $dsn
  calls "$dsn csv" csv --dsn $dsn "$work/$dsn.csv"
  calls "$dsn xls" xls --dsn $dsn "$work/$dsn.xls"
done

if $hold; then
  echo "ODBCINI=$ODBCINI ODBCSYSINI=$ODBCSYSINI"
  for dsn in pg sqlite; do echo "sh -c 'rm -f $work/$dsn.xls; exec $cli xls --dsn $dsn $work/$dsn.xls'"; done
  read -r -p "Enter stops the databases. " _
fi
