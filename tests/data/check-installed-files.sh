#!/usr/bin/env bash
# The files installed beside the programs, checked with the tools that read
# them: desktop-file-validate, fontconfig, man and bash.
# usage: check-installed-files.sh SOURCE_DIR
set -euo pipefail
data=$(realpath "$1/data")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

for entry in "$data"/*.desktop; do
  desktop-file-validate "$entry" || fail "$entry"
  grep -qx 'Categories=Office;Database;' "$entry" || fail "$entry: categories"
  grep -q '^Name\[ja\]=' "$entry" || fail "$entry: no Japanese name"
done

# The mapping on top of the machine's own configuration.
cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include>/etc/fonts/fonts.conf</include>
  <include>$data/65-kolumbra-mincho.conf</include>
</fontconfig>
CONF
for family in "ＭＳ 明朝" "MS Mincho"; do
  got=$(FONTCONFIG_FILE="$work/fonts.conf" fc-match -f '%{family[0]}' "$family")
  [ "$got" = IPAMincho ] || fail "fc-match '$family' gives '$got'"
done

for page in "$data"/*.1; do
  # A page that only points at another is checked by that one.
  if target=$(sed -n 's|^\.so man1/||p' "$page") && [ -n "$target" ]; then
    [ -f "$data/$target" ] || fail "$page points at a missing $target"
    continue
  fi
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

bash -n "$data/kolumbra-cli.bash-completion" || fail "bash completion syntax"
exit $status
