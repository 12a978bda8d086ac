#!/usr/bin/env bash
# The built manual pages, completion and metainfo against the tool: the
# manual page and the completion name every option of --help, the completion
# completes them, every value it offers is one the tool takes, the pages
# render cleanly and the metainfo passes appstreamcli (where installed).
# Usage: check-packaging.sh TOOL BUILT_PACKAGING_FOLDER
set -euo pipefail
tool=$1 out=$2
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t options < <("$tool" --help | grep -oE '^  -[-a-z0-9]+(, -[-a-z0-9]+)*' | grep -oE -- '-[-a-z0-9]+')
((${#options[@]} > 10)) || fail "--help lists ${#options[@]} options"

compopt() { :; } # only a completion started by bash may set its options
source "$out/stampora-batch.bash"
complete -p stampora-batch >/dev/null || fail "the completion is not registered"
completions() {
    COMP_WORDS=(stampora-batch "$@")
    COMP_CWORD=$#
    _stampora_batch
    printf '%s\n' "${COMPREPLY[@]}"
}

for option in "${options[@]}"; do
    escaped=${option//-/\\-}
    grep -qF -- "$escaped\\fR" "$out/stampora-batch.1" || grep -qF -- "$escaped," "$out/stampora-batch.1" ||
        fail "the manual page lacks $option"
    completions "$option" | grep -qxF -- "$option" || fail "the completion does not complete $option"
    _stampora_batch_values "$option" || continue
    for value in $words $list; do
        "$tool" --text x --image "$work/logo.png" "$option" "$value" --save-preset "$work/p.ini" >/dev/null 2>&1 ||
            fail "the completion offers $option $value, which the tool refuses"
    done
done
[[ $(completions --types = jpg,pn) == jpg,png ]] || fail "a comma list's last item is not completed"
[[ $(completions --style b) == $'bold\nbold-italic' ]] || fail "--style b completes to $(completions --style b)"

if command -v groff >/dev/null; then
    for page in "$out"/*.1; do
        warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
        [[ -z $warnings ]] || fail "$page: $warnings"
    done
fi
metainfo=$out/io.github.stampora.Stampora.metainfo.xml
if [[ -f $metainfo ]] && command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refuses $metainfo"
fi
echo "packaging follows the tool: ${#options[@]} options"
