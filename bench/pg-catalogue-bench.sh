#!/usr/bin/env bash
# Times kolumbra-cli on a PostgreSQL database of 2,000 tables of 20 columns
# (a cluster of its own, started and stopped here like the tests' servers):
# the table list, the CSV of every table and the workbook of 200 tables.
# Then counts the catalogue calls each command makes, from a driver
# manager trace of a second run.
# usage: bench/pg-catalogue-bench.sh [KOLUMBRA_CLI]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/src/cli/kolumbra-cli}
[ -x "$cli" ] || { echo "pg-catalogue-bench: no kolumbra-cli at $cli" >&2; exit 2; }
servers=$here/tests/engine/db/servers/db-servers
state=$(mktemp -d)
work=$(mktemp -d)
trap '"$servers" stop "$state"; rm -rf "$state" "$work"' EXIT

"$servers" start "$state"
grep -q PostgreSQL "$state/missing" && { echo "pg-catalogue-bench: PostgreSQL is not installed" >&2; exit 2; }
run=$(cat "$state/runtime")
psql -X -q -v ON_ERROR_STOP=1 -h "$run" -U kolumbra -d postgres -c "CREATE DATABASE bench" >/dev/null
psql -X -q -v ON_ERROR_STOP=1 -h "$run" -U kolumbra -d bench >/dev/null <<'SQL'
DO $$
DECLARE
    columns text := (SELECT string_agg('c' || i || CASE WHEN i % 2 = 0 THEN ' integer' ELSE ' varchar(40)' END, ', ')
                     FROM generate_series(2, 20) AS i);
BEGIN
    FOR t IN 1..2000 LOOP
        EXECUTE format('CREATE TABLE t%s (c1 integer PRIMARY KEY, %s)', lpad(t::text, 4, '0'), columns);
    END LOOP;
END $$;
SQL
sed -n '/^\[Kolumbra PostgreSQL\]/,/^$/p' "$state/odbc.ini" | sed 's/^\[Kolumbra PostgreSQL\]/[bench]/; s/^Database=shop/Database=bench/' \
  >"$work/odbc.ini"
export ODBCINI=$work/odbc.ini ODBCSYSINI=$work
: >"$work/odbcinst.ini"
"$cli" tables --dsn bench >"$work/tables"
tables=$(wc -l <"$work/tables")
few=$(head -200 "$work/tables" | tr '\n' ' ')

# timed LABEL ARGS...: wall-clock and processor seconds of one run.
timed() {
  label=$1; shift
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" "$@" >/dev/null 2>"$work/stderr" ||
    { echo "pg-catalogue-bench: $label failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  awk -v l="$label" '{ printf "%-24s %6.2f s (cpu %5.2f s)\n", l, $1, $2 + $3 }' "$work/time"
}

# calls LABEL ARGS...: catalogue calls of one run, from the trace.
calls() {
  label=$1; shift
  printf '[ODBC]\nTrace=Yes\nTraceFile=%s\n' "$work/trace" >"$work/odbcinst.ini"
  rm -f "$work/trace"
  "$cli" "$@" >/dev/null 2>&1 || true
  : >"$work/odbcinst.ini"
  printf '%-24s' "$label"
  for f in SQLTables SQLColumns SQLPrimaryKeys SQLStatistics; do
    n=$(awk -v f="[$f.c]" 'index($0, f) { getline next_line; if (next_line ~ /Entry:/) c++ } END { print c + 0 }' \
      "$work/trace")
    printf ' %s %d' "$f" "$n"
  done
  echo
}

echo "$tables tables listed"
timed "tables" tables --dsn bench
# shellcheck disable=SC2086
timed "csv of $tables tables" csv --dsn bench "$work/all.csv"
# shellcheck disable=SC2086
timed "xls of 200 tables" xls --dsn bench "$work/few.xls" $few
calls "tables" tables --dsn bench
rm -f "$work/all.csv" "$work/few.xls"
calls "csv of $tables tables" csv --dsn bench "$work/all.csv"
# shellcheck disable=SC2086
calls "xls of 200 tables" xls --dsn bench "$work/few.xls" $few
