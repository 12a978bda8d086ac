# Reads `stampora-batch --help` and writes, with mode=man, the parts of its
# manual page the help gives (SYNOPSIS to EXIT STATUS, or with part=examples
# EXAMPLES) in roff, or, with mode=completion, the option list and the bash
# function that tells which options take which values. The help text is the
# one place the options are described; both files are made from it at build
# time so they never fall behind it.
#
# The help's layout, as read here:
#   "Usage: ..."                          the synopsis
#   "Heading:"                            a group of options ("Examples:"
#                                         the examples)
#   "  --name[, --other] [METAVAR]  text" an option; its text goes on in
#                                         lines indented further, deeper
#                                         ones kept as laid out
#   "Exit status: ..."                    the exit status paragraph
#   "KIND is one of a, b, c."             the values a metavariable stands for
#   other text at the left edge           a paragraph: in the option group
#                                         above it when that has a heading,
#                                         else in the description

function roff(text) {
    gsub(/\\/, "\\e", text)
    gsub(/-/, "\\-", text)
    if (text ~ /^[.']/) text = "\\&" text
    return text
}

function emit(target, line) {
    out[target] = out[target] line "\n"
}

function end_block() {
    if (pre) emit("options", ".fi")
    pre = 0
    in_option = 0
    para = ""
}

# Values an option's text spells out: "normal, bold or italic (default ..."
# at its start, "comma list of a, b, c" anywhere, "word: ..." after a ";".
function values_from_text(name, text, first,    m) {
    if (first && match(text, /^[a-z][a-z-]*(, [a-z][a-z-]*)* or [a-z][a-z-]*[ ,.;(]/)) {
        m = substr(text, 1, RLENGTH - 1)
        gsub(/,| or /, " ", m)
        words[name] = words[name] " " m
    }
    if (match(text, /^[a-z]+: /) && after_semicolon)
        words[name] = words[name] " " substr(text, 1, RLENGTH - 2)
    after_semicolon = text ~ /;$/
}

function option_line(line,    rest, names, meta, text, n, i, alts, k) {
    rest = substr(line, 3)
    names = ""
    while (match(rest, /^-[-A-Za-z0-9]+/)) {
        names = names (names == "" ? "" : " ") substr(rest, 1, RLENGTH)
        rest = substr(rest, RLENGTH + 1)
        if (rest ~ /^, -/) rest = substr(rest, 3)
        else break
    }
    meta = ""
    # One space then a word is the metavariable; more spaces start the text.
    if (match(rest, /^ [^ ]+/)) {
        meta = substr(rest, 2, RLENGTH - 1)
        rest = substr(rest, RLENGTH + 1)
    }
    text = rest
    sub(/^ +/, "", text)
    desc_column = length(line) - length(text)
    if (text == "") desc_column = 26

    n = split(names, parts, " ")
    for (i = 1; i <= n; i++) {
        option_list = option_list (option_list == "" ? "" : " ") parts[i]
    }
    current = parts[n]
    option_order[++options] = current
    option_names[current] = names
    option_meta[current] = meta
    k = split(meta, alts, "|")
    for (i = 1; i <= k; i++)
        if (alts[i] ~ /^[a-z][a-z-]*$/) words[current] = words[current] " " alts[i]
    joined[current] = text

    if (section != "options" || !headed) {
        if (!other_group) emit("options", ".SS \"Other options\"")
        other_group = 1
        headed = 0
    }
    section = "options"
    gsub(/ /, ", ", names)
    emit("options", ".TP")
    emit("options", "\\fB" roff(names) "\\fR" (meta == "" ? "" : " \\fI" roff(meta) "\\fR"))
    after_semicolon = 0
    if (text != "") {
        emit("options", roff(text))
        values_from_text(current, text, 1)
    }
    in_option = 1
}

function continuation(line,    indent, text) {
    match(line, /^ +/)
    indent = RLENGTH
    text = substr(line, indent + 1)
    joined[current] = joined[current] " " text
    if (indent > desc_column) {
        if (!pre) emit("options", ".nf")
        pre = 1
        emit("options", roff(substr(line, desc_column + 1)))
        return
    }
    if (pre) emit("options", ".fi")
    pre = 0
    emit("options", roff(text))
    values_from_text(current, text, 0)
}

function paragraph(line) {
    if (para == "") {
        if (line ~ /^Exit status: /) {
            para = "exit"
            sub(/^Exit status: /, "", line)
        } else {
            para = (section == "options" && headed) ? "options" : "description"
            emit(para, ".PP")
        }
    }
    emit(para, roff(line))
    para_text[para] = para_text[para] " " line
    # "ANCHOR is one of left-top, top, ...": the words a metavariable stands for.
    if (para_text[para] ~ /^ [A-Z]+ is one of [^.]*\./) {
        kind_text = para_text[para]
        sub(/^ /, "", kind_text)
        kind = kind_text
        sub(/ .*/, "", kind)
        sub(/^[A-Z]+ is one of /, "", kind_text)
        sub(/[.:].*/, "", kind_text)
        gsub(/,/, " ", kind_text)
        gsub(/(^| )or( |$)/, " ", kind_text)
        kind_words[kind] = kind_text
        para_text[para] = ""
    }
}

BEGIN {
    section = "description"
    blank = 1
}

# A heading follows a blank line; prose ending in a colon does not.
{
    was_blank = blank
    blank = $0 ~ /^ *$/
}

/^Usage: / {
    usage = substr($0, 8)
    next
}

/^ *$/ {
    end_block()
    para_text["options"] = para_text["description"] = ""
    if (section == "examples" && out["examples"] != "") section = "after"
    next
}

was_blank && /^[A-Z][^:]*:$/ {
    end_block()
    if ($0 == "Examples:") {
        section = "examples"
    } else {
        section = "options"
        headed = 1
        emit("options", ".SS \"" roff(substr($0, 1, length($0) - 1)) "\"")
    }
    next
}

/^  -/ {
    end_block()
    option_line($0)
    next
}

section == "examples" {
    emit("examples", roff(substr($0, 3)))
    next
}

in_option && /^   / {
    continuation($0)
    next
}

{
    if (in_option) end_block()
    sub(/^ +/, "")
    paragraph($0)
}

# The manual page from SYNOPSIS to EXIT STATUS, or with part=examples its
# EXAMPLES, which come later in a manual page.
function man_page(    u, w, i, n) {
    if (part == "examples") {
        if (out["examples"] == "") return
        print ".SH EXAMPLES"
        print ".nf"
        printf "%s", out["examples"]
        print ".fi"
        return
    }
    print ".SH SYNOPSIS"
    n = split(usage, w, " ")
    u = ".B " roff(w[1]) "\n"
    # Each argument's name in italics: SOURCE_DIR, [OUTPUT_DIR].
    for (i = 2; i <= n; i++) {
        w[i] = roff(w[i])
        if (match(w[i], /[A-Z_][A-Z_]+/))
            w[i] = substr(w[i], 1, RSTART - 1) "\\fI" substr(w[i], RSTART, RLENGTH) "\\fR" substr(w[i], RSTART + RLENGTH)
        u = u w[i] (i < n ? " " : "")
    }
    print u
    print ".SH DESCRIPTION"
    printf "%s", out["description"]
    print ".SH OPTIONS"
    printf "%s", out["options"]
    if (out["exit"] != "") {
        print ".SH \"EXIT STATUS\""
        printf "%s", out["exit"]
    }
}

# The values of an option: a kind of word (file, dir, font), words, and the
# words of a comma list.
function completion(    i, j, n, alts, name, meta, kind, list, m, cases) {
    print "_stampora_batch_options='" option_list "'"
    print ""
    print "# Sets kind, words and list for an option that takes a value; fails for a flag."
    print "_stampora_batch_values() {"
    print "    kind= words= list="
    print "    case $1 in"
    for (i = 1; i <= options; i++) {
        name = option_order[i]
        meta = option_meta[name]
        if (meta == "") continue
        kind = "value"
        n = split(meta, alts, "|")
        for (j = 1; j <= n; j++) {
            if (alts[j] == "FILE") kind = "file"
            else if (alts[j] == "DIR") kind = "dir"
            else if (alts[j] == "FAMILY") kind = "font"
            if (alts[j] in kind_words) words[name] = words[name] " " kind_words[alts[j]]
        }
        list = ""
        if (match(joined[name], /comma list of ([a-z0-9]+, )*[a-z0-9]+/)) {
            list = substr(joined[name], RSTART + 14, RLENGTH - 14)
            gsub(/,/, "", list)
        }
        m = words[name]
        gsub(/  +/, " ", m)
        sub(/^ /, "", m)
        cases = option_names[name]
        gsub(/ /, "|", cases)
        printf "    %s) kind=%s", cases, kind
        if (m != "") printf " words='%s'", m
        if (list != "") printf " list='%s'", list
        print " ;;"
    }
    print "    *) return 1 ;;"
    print "    esac"
    print "}"
}

END {
    if (mode == "man") man_page()
    else completion()
}
