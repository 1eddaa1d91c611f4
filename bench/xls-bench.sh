#!/bin/sh
# Times kolumbra-cli xls writing every table of nwind.mdb, of hanbai.mdb, and
# of SQLite databases of 200 and of 1,000 one-page tables of 20 fields read
# through the SQLite3 ODBC driver, and prints seconds (wall, user, system)
# and pages (sheets written) per second. Every page is saved, as always.
# kolumbra-cli does not pause after each page as the window does.
# With XLS_BENCH_CURVE="100 200 500 1000 2000" it times those table counts
# instead; with XLS_BENCH_FORMAT=xlsx it writes .xlsx workbooks, and then
# also appends 200 tables to a 10 MB workbook of one large sheet (made with
# openpyxl) and prints the megabytes the command wrote.
# usage: bench/xls-bench.sh [KOLUMBRA_CLI] [FIXTURES_MDB_FOLDER]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$here/build/src/cli/kolumbra-cli}
mdb=${2:-$here/../shared/fixtures/mdb}
[ -x "$cli" ] || { echo "xls-bench: no kolumbra-cli at $cli" >&2; exit 2; }
format=${XLS_BENCH_FORMAT:-xls}
. "$here/bench/wide-source.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sheets in the workbook, less the one every new workbook starts with.
pages() {
  /usr/bin/python3 -c '
import re, sys, zipfile
if sys.argv[1].endswith(".xls"):
    import xlrd
    print(xlrd.open_workbook(sys.argv[1], on_demand=True).nsheets - 1)
else:
    print(len(re.findall(rb"<sheet ", zipfile.ZipFile(sys.argv[1]).read("xl/workbook.xml"))) - 1)' "$1"
}

# run LABEL ARGS...: one timed export into a new workbook.
run() {
  label=$1; shift
  out="$work/$(echo "$label" | tr -c 'A-Za-z0-9.\n' _).$format"
  rm -f "$out"
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" xls "$@" "$out" 2>"$work/stderr" >/dev/null ||
    { echo "xls-bench: $label failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  n=$(pages "$out")
  # Wall-clock seconds, and the processor seconds that do not depend on
  # how busy the machine is.
  awk -v l="$label" -v n="$n" '{
    cpu = $2 + $3
    printf "%-24s %7.2f s (user %6.2f s, system %6.2f s) %5d pages %6.0f pages/s (cpu %6.0f)\n", l, $1, $2, $3, n,
      ($1 > 0 ? n / $1 : 0), (cpu > 0 ? n / cpu : 0)
  }' "$work/time"
}

# odbc_run COUNT: every table of a new SQLite database of COUNT tables.
odbc_run() {
  make_wide_source "$work" "xls bench" "$1"
  ODBCINI=$work/odbc.ini ODBCSYSINI=$work run "sqlite ${1}x20 (ODBC)" --dsn "xls bench"
}

if [ -n "${XLS_BENCH_CURVE:-}" ]; then
  for count in $XLS_BENCH_CURVE; do odbc_run "$count"; done
  exit 0
fi
run nwind.mdb "$mdb/nwind.mdb"
run hanbai.mdb --jap "$mdb/hanbai.mdb"
odbc_run 200
odbc_run 1000

# append_run: 200 one-page tables appended to a 10 MB package.
append_run() {
  make_wide_source "$work" "xls bench" 200
  /usr/bin/python3 -c '
import random, sys, openpyxl
random.seed(1)
book = openpyxl.Workbook()
sheet = book.active
for r in range(230000):
    sheet.append([r, random.random(), "%012d" % random.randrange(10**12), random.randrange(10**9)])
book.save(sys.argv[1])' "$work/big.xlsx"
  ODBCINI=$work/odbc.ini ODBCSYSINI=$work /usr/bin/python3 -c '
import os, subprocess, sys, time
start = time.monotonic()
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
os.waitid(os.P_PID, child.pid, os.WEXITED | os.WNOWAIT)
wall = time.monotonic() - start
written = dict(l.split(": ") for l in open("/proc/%d/io" % child.pid).read().splitlines())["wchar"]
status = child.wait()
if status:
    sys.exit("xls-bench: append failed: " + child.stderr.read().decode())
size = os.path.getsize(sys.argv[-1]) / 1e6
print("%-24s %7.2f s, %6.1f MB written, book %.1f MB" % ("append 200 to 10 MB", wall, int(written) / 1e6, size))
' "$cli" xls --dsn "xls bench" "$work/big.xlsx"
}
[ "$format" = xlsx ] && append_run
exit 0
