#!/usr/bin/env bash
# The CSV of marlune-layout --for imports into SQLite as it is (.import
# --csv takes the first row for the column names), and the columns it holds
# cut the lines that marlune -au writes for the same file.
#   sqlite_import.sh MARLUNE MARLUNE_LAYOUT INTERCHANGE
set -u
marlune=$(readlink -f "$1") layout=$(readlink -f "$2") edi=$(readlink -f "$3")
command -v sqlite3 >/dev/null || { echo "sqlite3 not found (Debian package sqlite3)"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
fail=0

"$layout" --for "$edi" --format csv > layout.csv || { echo "marlune-layout failed"; exit 1; }
"$marlune" -au "$edi" orders.unc 2>/dev/null || { echo "marlune -au failed"; exit 1; }
sqlite3 layout.db ".import --csv layout.csv layout" || { echo "import failed"; exit 1; }

rows=$(sqlite3 layout.db "SELECT count(*) FROM layout")
want=$(($(wc -l < layout.csv) - 1))
[ "$rows" = "$want" ] || { echo "imported $rows rows, the file holds $want"; fail=1; }
columns=$(sqlite3 layout.db "SELECT group_concat(name, ',') FROM pragma_table_info('layout')")
[ "$columns" = "tag,field,first,last,width,type,composite,component,element,name,directory" ] ||
  { echo "columns: $columns"; fail=1; }
name=$(sqlite3 layout.db "SELECT name FROM layout WHERE tag = 'MOA' AND element = '6345'")
[ "$name" = "Currency, coded" ] || { echo "quoted name read as '$name'"; fail=1; }
tags=$(sqlite3 layout.db "SELECT DISTINCT tag FROM layout ORDER BY rowid" | tr '\n' ' ')
[ "$tags" = "UNB UNH BGM DTM NAD FTX LIN QTY MOA UNS CNT UNT UNZ " ] || { echo "tags: $tags"; fail=1; }

# The amounts, cut at the columns the database gives.
cols=$(sqlite3 layout.db "SELECT first || '-' || last FROM layout WHERE tag = 'MOA' AND element = '5004'")
amounts=$(grep '^MOA' orders.unc | cut -c"$cols" | tr '\n' ' ')
[ "$amounts" = "-00000000001234.50 0000000000000099.9 " ] || { echo "amounts at $cols: $amounts"; fail=1; }
[ $fail -eq 0 ] && echo "imported $rows rows into SQLite; amounts at columns $cols"
exit $fail
