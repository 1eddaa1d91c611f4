# Sourced by the bench scripts. make_wide_source FOLDER DSN [TABLES]: a
# SQLite database of TABLES (default 200) tables T0001.. of 20 VARCHAR
# fields each in FOLDER,
# and FOLDER/odbc.ini naming it as data source DSN through the SQLite3 ODBC
# driver. Run the command under ODBCINI=FOLDER/odbc.ini ODBCSYSINI=FOLDER.
make_wide_source() {
  driver=$(ls /usr/lib/*/odbc/libsqlite3odbc.so /usr/lib/odbc/libsqlite3odbc.so 2>/dev/null | head -n 1)
  [ -n "$driver" ] || { echo "bench: needs the SQLite3 ODBC driver (libsqliteodbc)" >&2; exit 2; }
  {
    echo "BEGIN;"
    t=1
    while [ $t -le "${3:-200}" ]; do
      printf 'CREATE TABLE T%04d (' $t
      f=1
      while [ $f -le 20 ]; do
        [ $f -gt 1 ] && printf ', '
        printf 'F%02d VARCHAR(%d)' $f $((f * 5))
        f=$((f + 1))
      done
      echo ');'
      t=$((t + 1))
    done
    echo "COMMIT;"
  } >"$1/wide.sql"
  rm -f "$1/wide.db"
  sqlite3 "$1/wide.db" ".read $1/wide.sql"
  printf '[%s]\nDriver=%s\nDatabase=%s\n' "$2" "$driver" "$1/wide.db" >"$1/odbc.ini"
  : >"$1/odbcinst.ini"
}
