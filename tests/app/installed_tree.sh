# Checks of an installed tree (a `cmake --install` prefix, or /usr of an unpacked package):
# every piece where a Linux desktop looks for it, and every piece sound.
# Sourced; check_installed_tree PREFIX HELP_PAGE VERSION adds to $failures.

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# PNG: width and height are the big-endian words at bytes 16 and 20 of the file.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_installed_tree() {
    local prefix=$1 help_page=$2 version=$3

    for program in tallix tallix-cli; do
        [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an installed program"
    done

    cmp -s "$prefix/share/tallix/index.htm" "$help_page" ||
        fail "share/tallix/index.htm is not the help page"
    grep -q "@PROJECT_VERSION@" "$prefix/share/tallix/index.htm" &&
        fail "the help page names no version"

    local entry report
    for entry in share/applications/com.morvane.Tallix.desktop share/tallix/tallix-autostart.desktop; do
        if [ ! -f "$prefix/$entry" ]; then
            fail "$entry missing"
        elif ! report=$(desktop-file-validate "$prefix/$entry" 2>&1) || [ -n "$report" ]; then
            fail "$entry: $report"
        fi
    done
    grep -qx 'Categories=Utility;Calculator;' "$prefix/share/applications/com.morvane.Tallix.desktop" ||
        fail "the menu entry is not in Utility;Calculator"
    grep -qx 'Exec=tallix /s' "$prefix/share/tallix/tallix-autostart.desktop" ||
        fail "the autostart example does not start hidden"

    local metainfo="$prefix/share/metainfo/com.morvane.Tallix.metainfo.xml"
    if [ ! -f "$metainfo" ]; then
        fail "share/metainfo/com.morvane.Tallix.metainfo.xml missing"
    elif ! report=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
        fail "software-centre metadata: $report"
    fi
    grep -q '<launchable type="desktop-id">com.morvane.Tallix.desktop</launchable>' "$metainfo" ||
        fail "the metadata does not launch the menu entry"
    grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
        fail "the metadata names no licence"
    grep -Eq "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"/>" "$metainfo" ||
        fail "the metadata names no release $version with its date"

    local size icon
    for size in 16 32; do
        icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tallix.png"
        if [ ! -f "$icon" ]; then
            fail "${size}x${size} icon missing"
        elif [ "$(png_size "$icon")" != "${size}x${size}" ]; then
            fail "${size}x${size} icon is $(png_size "$icon")"
        fi
    done
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tallix.svg" 2>/dev/null ||
        fail "scalable icon missing"

    local page warnings name whatis
    for page in tallix tallix-cli; do
        page="$prefix/share/man/man1/$page.1.gz"
        if [ ! -f "$page" ]; then
            fail "$page missing"
            continue
        fi
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
        zcat "$page" | grep -q "^\.TH .* \"Tallix $version\"" || fail "$page names no version"
        # The NAME line is what whatis and apropos show, as mandb reads it.
        name=$(zcat "$page" | sed -n '/^\.SH NAME/{n;s/\\-/-/;p;q}')
        whatis=$(lexgrog "$page" | sed 's/^[^:]*: "//; s/"$//')
        [ "$whatis" = "$name" ] || fail "$page: whatis reads \"$whatis\", not \"$name\""
    done

    local said
    said=$("$prefix/bin/tallix-cli" --version 2>&1) || true
    [ "$said" = "Tallix $version" ] || fail "installed tallix-cli --version said: $said"
    said=$("$prefix/bin/tallix-cli" -e 1+1 2>&1) || true
    [ "$said" = "2" ] || fail "installed tallix-cli -e 1+1 said: $said"
}
