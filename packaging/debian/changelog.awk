# Turns CHANGELOG.md into the Debian changelog: one entry per "## VERSION (DATE)" section,
# newest first as there, its "### heading" groups as "  * heading:" with their points as
# "    - point", wrapped within 80 columns. A section whose date is "unreleased" gets the date
# of the build (`today`, "YYYY-MM-DD HH:MM:SS").
# usage: awk -v package=P -v release=R -v maintainer=M -v today=T -f changelog.awk CHANGELOG.md

# The day of the week of a date (Zeller's congruence, Gregorian calendar).
function weekday(y, m, d,    k, j, h) {
    if (m < 3) { m += 12; y -= 1 }
    k = y % 100; j = int(y / 100)
    h = (d + int(13 * (m + 1) / 5) + k + int(k / 4) + int(j / 4) + 5 * j) % 7
    return substr("SatSunMonTueWedThuFri", h * 3 + 1, 3)
}

# "YYYY-MM-DD HH:MM:SS" as the changelog's trailer wants it.
function rfc2822(stamp,    y, m, d) {
    y = substr(stamp, 1, 4) + 0; m = substr(stamp, 6, 2) + 0; d = substr(stamp, 9, 2) + 0
    return sprintf("%s, %02d %s %04d %s +0000", weekday(y, m, d), d,
                   substr("JanFebMarAprMayJunJulAugSepOctNovDec", m * 3 - 2, 3), y, substr(stamp, 12, 8))
}

# Prints `text` wrapped within 80 columns: the first line after `first`, the rest after `rest`.
function wrap(text, first, rest,    n, words, i, line) {
    gsub(/`/, "", text); gsub(/\*\*/, "", text)
    n = split(text, words, / +/)
    line = first
    for (i = 1; i <= n; i++) {
        if (words[i] == "") continue
        if (line != first && line != rest && length(line) + 1 + length(words[i]) > 78) {
            print line
            line = rest
        }
        line = (line == first || line == rest) ? line words[i] : line " " words[i]
    }
    if (line != first && line != rest) print line
}

function flush() {
    if (point != "") wrap(point, pointFirst, pointRest)
    point = ""
}

function close_entry() {
    flush()
    if (open) {
        print ""
        print " -- " maintainer "  " date
    }
    open = 0
}

/^## / {
    close_entry()
    version = $2
    stamp = $3; gsub(/[()]/, "", stamp)
    date = rfc2822(stamp == "unreleased" ? today : stamp " 12:00:00")
    if (entries++) print ""
    print package " (" version "-" release ") unstable; urgency=medium"
    print ""
    open = 1
    next
}
!open { next }
/^### / {
    flush()
    heading = substr($0, 5)
    wrap(heading ":", "  * ", "    ")
    next
}
/^- / {
    flush()
    point = substr($0, 3); pointFirst = "    - "; pointRest = "      "
    next
}
/^  +[^ ]/ && point != "" {
    text = $0; sub(/^ +/, "", text)
    point = point " " text
    next
}
/^$/ { flush(); next }
{
    # A paragraph of the section itself, line by line.
    if (point != "" && pointFirst == "  * ") {
        point = point " " $0
        next
    }
    flush()
    point = $0; pointFirst = "  * "; pointRest = "    "
}
END { close_entry() }
