#!/bin/sh
# Makes a file from a template and stampora-batch --help: each template line
# holding "(generated from stampora-batch --help)" is replaced by what
# batch-help.awk writes in the given mode (man or completion), one holding
# "(generated from stampora-batch --help: PART)" by that part of it.
# Usage: make-from-help.sh TOOL MODE TEMPLATE OUTPUT
set -eu
tool=$1 mode=$2 template=$3 output=$4
script="$(dirname "$0")/batch-help.awk"
"$tool" --help >"$output.help"
awk -v mode="$mode" -v script="$script" -v help="$output.help" '
    /\(generated from stampora-batch --help(: [a-z]+)?\)/ {
        part = $0
        sub(/.*--help:? */, "", part)
        sub(/\).*/, "", part)
        command = "awk -v mode=" mode " -v part=\"" part "\" -f \"" script "\" \"" help "\""
        while ((command | getline line) > 0) print line
        if (close(command) != 0) exit 1
        next
    }
    { print }
' "$template" >"$output.tmp"
rm -f "$output.help"
mv "$output.tmp" "$output"
