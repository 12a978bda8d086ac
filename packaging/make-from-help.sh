#!/bin/sh
# Makes a file from a template and stampora-batch --help: the template's line
# holding "(generated from stampora-batch --help)" is replaced by what
# batch-help.awk writes in the given mode (man or completion).
# Usage: make-from-help.sh TOOL MODE TEMPLATE OUTPUT
set -eu
tool=$1 mode=$2 template=$3 output=$4
here=$(dirname "$0")
generated="$output.generated"
"$tool" --help >"$generated.help"
awk -v mode="$mode" -f "$here/batch-help.awk" "$generated.help" >"$generated"
rm -f "$generated.help"
awk -v generated="$generated" '
    /\(generated from stampora-batch --help\)/ {
        while ((getline line < generated) > 0) print line
        next
    }
    { print }
' "$template" >"$output.tmp"
rm -f "$generated"
mv "$output.tmp" "$output"
