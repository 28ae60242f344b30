#!/usr/bin/env bash
# Writes a program's manual page and bash completion from its own --help, so that neither can
# list an option the program does not take or miss one it does:
#   make_docs.sh PROGRAM NAME MAN_TEMPLATE OUT_MAN OUT_COMPLETION [WORD=TEXT...]
# The template is a manual page with the lines @OPTIONS@, @KEYS@ and @EXIT@, where the options,
# the keys and the exit status of --help go, @DESCRIPTION@ for its first paragraph, and @WORD@
# for each WORD=TEXT given (VERSION=0.1, and the like).
#
# --help lists each option as "  --name [VALUE]", padded to column 35 where its description
# starts (on the next line when the option is longer), whose further lines are indented to
# that column. A VALUE with "|" in it lists the words the option takes.
set -euo pipefail
program=$1 name=$2 template=$3 out_man=$4 out_completion=$5
shift 5
words=("$@")

help=$("$program" --help) || { echo "make_docs.sh: $program --help failed" >&2; exit 1; }

# The help as records, one a line, fields split by the unit separator (a value may be empty):
#   option NAME VALUE DESCRIPTION | key KEYS WHAT | description TEXT | exit TEXT
sep=$'\037'
records=$(printf '%s\n' "$help" | awk -v program="$name" -v s="$sep" '
    function fail(why) { printf "make_docs.sh: %s --help, line %d: %s\n", program, NR, why > "/dev/stderr"; bad = 1; exit 1 }
    function flush() { if (opt != "") print "option" s opt s val s desc; opt = "" }
    function add(text) { desc = desc == "" ? text : desc " " text }
    NR == 1 { if ($0 !~ /^Usage: /) fail("no usage line"); section = "description"; next }
    /^$/ { flush(); if (section == "description") section = "options"; else if (section != "exit") section = "after"; next }
    section == "description" { print "description" s $0; next }
    /^Exit status: / { flush(); section = "exit"; sub(/^Exit status: /, ""); print "exit" s $0; next }
    /^Keys and mouse/ { section = "keys"; next }
    section == "keys" {
        if (!match($0, /^  [^ ]+( [^ ]+)*  +/)) fail("a key line without its description")
        keys = substr($0, 3, RLENGTH - 2); what = substr($0, RLENGTH + 1)
        sub(/ +$/, "", keys)
        print "key" s keys s what
        next
    }
    section == "options" && /^                                   [^ ]/ {
        if (opt == "") fail("a continued description without its option")
        add(substr($0, 36))
        next
    }
    section == "options" {
        flush()
        if (!match($0, /^  --[a-z0-9][a-z0-9-]*/)) fail("not an option line: " $0)
        opt = substr($0, 3, RLENGTH - 2); rest = substr($0, RLENGTH + 1); val = ""; desc = ""
        if (match(rest, /^ [^ ]+/)) { val = substr(rest, 2, RLENGTH - 1); rest = substr(rest, RLENGTH + 1) }
        left = 2 + length(opt) + (val == "" ? 0 : 1 + length(val))
        if (left < 35) {
            # Padded to the description column, whose text starts there.
            if (length($0) > 35 && (substr($0, left + 1, 35 - left) !~ /^ +$/ || substr($0, 36, 1) == " "))
                fail("the description of " opt " does not start in column 35")
            desc = substr($0, 36)
        } else if (rest != "") {
            fail("text after the long option " opt " on its own line")
        }
        next
    }
    END { if (!bad) flush() }
')

field() {  # KIND: the records of that kind without it
    printf '%s\n' "$records" | awk -F"$sep" -v kind="$1" '$1 == kind { print substr($0, length(kind) + 2) }'
}
[ -n "$(field option)" ] || { echo "make_docs.sh: no options found in $name --help" >&2; exit 1; }

# Text for troff: backslashes shown as such, every "-" a minus (an option's hyphen must stay
# one to be typed or searched), no line taken for a request.
roff() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^[.']/\\\\\&&/"
}

options_roff() {
    field option | while IFS=$sep read -r opt val desc; do
        echo ".TP"
        if [ -n "$val" ]; then
            printf '\\fB%s\\fR \\fI%s\\fR\n' "$(roff <<<"$opt")" "$(roff <<<"$val")"
        else
            printf '\\fB%s\\fR\n' "$(roff <<<"$opt")"
        fi
        roff <<<"$desc"
    done
}

keys_roff() {
    field key | while IFS=$sep read -r keys what; do
        echo ".TP"
        printf '\\fB%s\\fR\n' "$(roff <<<"$keys")"
        roff <<<"$what"
    done
}

mkdir -p "$(dirname "$out_man")" "$(dirname "$out_completion")"
description=$(field description | tr '\n' ' ' | sed 's/ $//' | roff)
exit_text=$(field exit | roff)
{
    while IFS= read -r line; do
        case $line in
        @OPTIONS@) options_roff ;;
        @KEYS@) keys_roff ;;
        @EXIT@) printf '%s\n' "$exit_text" ;;
        *)
            line=${line//@DESCRIPTION@/$description}
            for word in "${words[@]}"; do
                line=${line//@${word%%=*}@/$(roff <<<"${word#*=}")}
            done
            printf '%s\n' "$line"
            ;;
        esac
    done < "$template"
} > "$out_man.tmp"
mv "$out_man.tmp" "$out_man"

# The completion: option words after "-", the words of an option that lists them, file names
# for an option that takes a file and for FILE itself, nothing for a number or a list.
function_name=_$(tr -c 'a-z0-9\n' '_' <<<"$name")
{
    echo "# bash completion for $name, written from its --help when it was built."
    echo "$function_name() {"
    echo '    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}'
    echo '    COMPREPLY=()'
    echo '    case $prev in'
    field option | while IFS=$sep read -r opt val _; do
        if [[ $val == *"|"* ]]; then
            printf '    %s) COMPREPLY=($(compgen -W "%s" -- "$cur")); return ;;\n' "$opt" "${val//|/ }"
        elif [[ $val == *FILE* || $opt == *-file ]]; then
            printf '    %s) COMPREPLY=($(compgen -f -- "$cur")); return ;;\n' "$opt"
        elif [ -n "$val" ]; then
            printf '    %s) return ;;\n' "$opt"
        fi
    done
    echo '    esac'
    echo '    if [[ $cur == -* ]]; then'
    printf '        COMPREPLY=($(compgen -W "%s" -- "$cur"))\n' "$(field option | cut -d"$sep" -f1 | tr '\n' ' ' | sed 's/ $//')"
    echo '    else'
    echo '        COMPREPLY=($(compgen -f -- "$cur"))'
    echo '    fi'
    echo '}'
    echo "complete -o filenames -F $function_name $name"
} > "$out_completion.tmp"
mv "$out_completion.tmp" "$out_completion"
