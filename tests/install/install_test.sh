#!/usr/bin/env bash
# The installation and the Debian package, from the outside: `cmake --install` into a scratch
# DESTDIR under an unusual prefix, the installed programs run there (--help, --version, a
# picture of an installed sample), the generated manual pages and completions checked against
# --help, the desktop entry and the MIME types checked by their own tools, then `cpack -G DEB`
# and the package's control fields and contents.
set -uo pipefail

build=$(cd "${ORVELLE_BINARY_DIR:?}" && pwd)
version=${ORVELLE_VERSION:?}
for tool in desktop-file-validate update-mime-database man col dpkg-deb dpkg-shlibdeps cpack convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

prefix=/opt/orvelle-test
root=$scratch/root$prefix
DESTDIR=$scratch/root cmake --install "$build" --prefix "$prefix" > "$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }

for file in bin/orvelle bin/orvelle-render share/man/man1/orvelle.1 share/man/man1/orvelle-render.1 \
    share/bash-completion/completions/orvelle share/bash-completion/completions/orvelle-render \
    share/applications/orvelle.desktop share/icons/hicolor/scalable/apps/orvelle.svg \
    share/mime/packages/orvelle.xml; do
    [ -s "$root/$file" ] || fail "$prefix/$file is not installed"
done
for sample in "$ORVELLE_SOURCE_DIR"/samples/*; do
    cmp -s "$sample" "$root/share/orvelle/samples/$(basename "$sample")" ||
        fail "the sample $(basename "$sample") is not installed as it is"
done
[ -z "$(find "$scratch/root" -path "$root" -prune -o -type f -print)" ] || fail "files installed outside the prefix"

# The installed programs, run from there.
for program in orvelle orvelle-render; do
    "$root/bin/$program" --help > "$scratch/$program.help" || fail "installed $program --help failed"
    cmp -s "$scratch/$program.help" <("$build/$program" --help) || fail "installed $program --help differs from the built one"
    [ "$("$root/bin/$program" --version)" = "$program $version" ] ||
        fail "$program --version says '$("$root/bin/$program" --version)', expected '$program $version'"
done
(cd "$scratch" && "$root/bin/orvelle-render" --display filled --size 160x120 --output ripple.png \
    "$root/share/orvelle/samples/ripple.mpl" > /dev/null) || fail "the installed orvelle-render drew no installed sample"
spread=$(convert "$scratch/ripple.png" -format '%w %h %[fx:standard_deviation > 0.05]' info: 2>/dev/null)
[ "$spread" = "160 120 1" ] || fail "the picture of the sample is not 160x120 with something drawn: '$spread'"

# Every option of --help, with what it takes, as --help writes it: "--display points|joined|...".
help_options() {  # HELP_FILE
    grep -oE '^  --[a-z0-9-]+( [^ ]+)?' "$1" | sed 's/^  //'
}

# The manual pages: the version, and every option of --help with what it takes, as man shows them.
for program in orvelle orvelle-render; do
    page=$root/share/man/man1/$program.1
    MANWIDTH=250 man --warnings -l "$page" 2> "$scratch/man.err" | col -bx > "$scratch/$program.man"
    [ ! -s "$scratch/man.err" ] || fail "man warns about $program.1: $(head -3 "$scratch/man.err")"
    grep -q "orvelle $version" "$scratch/$program.man" || fail "$program.1 does not give the version $version"
    while IFS= read -r option; do
        awk -v o="$option" '{ sub(/^ +/, "") } $0 == o || index($0, o " ") == 1 { found = 1 } END { exit !found }' \
            "$scratch/$program.man" ||
            fail "$program.1 does not show '$option'"
    done < <(help_options "$scratch/$program.help")
    [ "$(help_options "$scratch/$program.help" | wc -l)" -gt 20 ] || fail "$program --help lists too few options"
    [ "$(grep -cE '^ +--[a-z]' "$scratch/$program.man")" -eq "$(help_options "$scratch/$program.help" | wc -l)" ] ||
        fail "$program.1 shows options that --help does not list"
done
grep -q "Escape / q" "$scratch/orvelle.man" || fail "orvelle.1 does not show the keys"

# The completions: every option word after "--", the words of --display, --view and --format
# (and of every other option that lists its words), nothing for a number.
completions() {  # PROGRAM WORD...: what completing the last word offers
    (
        # shellcheck disable=SC1090
        source "$root/share/bash-completion/completions/$1"
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        function=$(complete -p "$1" | sed -n 's/.* -F \([^ ]*\) .*/\1/p')
        "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sort
    )
}
for program in orvelle orvelle-render; do
    [ "$(completions "$program" --)" = "$(help_options "$scratch/$program.help" | cut -d' ' -f1 | sort)" ] ||
        fail "completing -- for $program does not offer exactly the options of --help"
    [ "$(completions "$program" --sc)" = "$(printf '%s\n' --scale --scaling)" ] ||
        fail "completing --sc for $program: $(completions "$program" --sc | tr '\n' ' ')"
    for option in --display --view --format; do
        words=$(grep -oE "^  $option [^ ]+" "$scratch/$program.help" | cut -d' ' -f4 | tr '|' '\n' | sort)
        [ "$(wc -l <<<"$words")" -ge 3 ] || fail "$program --help lists no words for $option"
        [ "$(completions "$program" "$option" '')" = "$words" ] ||
            fail "completing $option for $program offers '$(completions "$program" "$option" '' | tr '\n' ' ')'"
    done
    [ "$(completions "$program" --view side)" = side-by-side ] || fail "completing --view side for $program"
    [ -z "$(completions "$program" --thickness '')" ] || fail "completing a number for $program offers words"
done
touch "$scratch/saved.view"
[ "$(cd "$scratch" && completions orvelle --view-file saved.v)" = saved.view ] ||
    fail "completing --view-file does not offer file names"

# The desktop entry and the MIME types of the two formats only Orvelle names.
desktop-file-validate "$root/share/applications/orvelle.desktop" || fail "desktop-file-validate refuses orvelle.desktop"
grep -qx 'Exec=orvelle %f' "$root/share/applications/orvelle.desktop" || fail "the desktop entry does not start orvelle with a file"
mime=$root/share/mime
update-mime-database "$mime" > /dev/null 2>&1 || fail "update-mime-database refuses orvelle.xml"
for pair in '*.cdat:text/x-orvelle-color-data' '*.mpl:text/x-orvelle-maple-grid'; do
    grep -qF ":${pair#*:}:${pair%%:*}" "$mime/globs2" || fail "no MIME type for ${pair%%:*}"
    grep -q "MimeType=.*${pair#*:};" "$root/share/applications/orvelle.desktop" ||
        fail "the desktop entry does not open ${pair#*:}"
done
grep -q 'MimeType=text/csv;' "$root/share/applications/orvelle.desktop" || fail "the desktop entry does not open CSV"
grep -q ':\*\.dat$' "$mime/globs2" && fail "orvelle.xml claims *.dat"

# The Debian package: its name, version, dependencies and contents.
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" > cpack.log 2>&1) ||
    { tail -20 "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
deb=$scratch/package/orvelle_${version}_amd64.deb
if [ ! -f "$deb" ]; then
    fail "cpack wrote no $(basename "$deb"): $(ls "$scratch/package")"
else
    dpkg-deb -I "$deb" > "$scratch/control" || fail "dpkg-deb -I cannot read the package"
    grep -qx " Version: $version" "$scratch/control" || fail "the package's version is not $version"
    depends=$(sed -n 's/^ Depends: //p' "$scratch/control")
    for package in libglut libgl1 libglu1-mesa libegl1 libstb0 libgl1-mesa-dri libegl-mesa0 fonts-dejavu-core zlib1g; do
        grep -qE "(^|, )$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
    done
    grep -qE '^ Recommends: .*zenity' "$scratch/control" || fail "the package does not recommend zenity"
    dpkg-deb -c "$deb" | awk '{ print $6 }' > "$scratch/contents"
    for file in ./usr/bin/orvelle ./usr/bin/orvelle-render ./usr/share/man/man1/orvelle.1 \
        ./usr/share/bash-completion/completions/orvelle ./usr/share/applications/orvelle.desktop \
        ./usr/share/orvelle/samples/ripple.mpl; do
        grep -qx "$file" "$scratch/contents" || fail "the package does not hold $file"
    done
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
