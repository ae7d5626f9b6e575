#!/bin/sh
# Checks the include rules of ARCHITECTURE.md on the sources: prints every #include that
# breaks one, and every allowance below that nothing needs any more, and fails if there is any.
#   check-layers.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

# Includes allowed against a rule while the code that needs them is being changed
# ("FILE: INCLUDED" a line); the check fails on a line nothing needs any more.
allowed='
'

# Every "FILE <INCLUDED>" or 'FILE "INCLUDED"' of our sources, checked by awk against the rules:
# rule(FOLDERS, PATTERN, WHY): no file under FOLDERS includes a header matching PATTERN (an
# extended regular expression on the include with its brackets or quotes).
grep -rEH --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include' \
    model storage period app views dialogs resources |
    sed -E 's/^([^:]*):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<][^">]*[">]).*/\1 \2/' |
    awk -v allowed="$allowed" -v script="$0" '
    BEGIN {
        n = split(allowed, lines, "\n")
        for (i = 1; i <= n; i++) if (lines[i] != "") ok[lines[i]] = 1
    }
    function under(dirs,    k, m, d) {
        m = split(dirs, d, " ")
        for (k = 1; k <= m; k++) if (index(file, d[k] "/") == 1) return 1
        return 0
    }
    function rule(dirs, pattern, why) {
        if (under(dirs) && header ~ pattern && !((file ": " name) in ok)) {
            print file " includes " name ": " why
            bad++
        }
    }
    {
        file = $1; header = $2; name = header; gsub(/["<>]/, "", name)
        seen[file ": " name] = 1
        rule("model storage period app/core", "^<(Q|qt)", "the core does not use Qt")
        rule("model storage period app/core", "^\"(views|dialogs|app/qt|app/cli)/",
             "the core does not reach up to the Qt program or the command line")
        rule("model storage period", "^\"app/core/MainFrameCore\\.h\"",
             "the model, the data file and the period do not see the frame")
        rule("model", "^\"storage/", "the model does not know the data file")
        rule("views", "^\"app/qt/", "the panes do not reach the program start-up")
        rule("dialogs", "^\"views/", "the dialogs do not know the panes that open them")
        rule("app/cli", "^(<(Q|qt)|\"(views|dialogs|app/qt)/)", "the command line does not use Qt")
    }
    END {
        # An allowance nothing needs any more is stale: say so, so that it gets deleted.
        for (entry in ok) if (!(entry in seen)) {
            print "no longer needed, delete from " script ": " entry
            bad++
        }
        if (bad) {
            print "check-layers: " bad " include(s) against the layers or stale allowance(s)" > "/dev/stderr"
            exit 1
        }
        print "check-layers: every include keeps to the layers"
    }'
