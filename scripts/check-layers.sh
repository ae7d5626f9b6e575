#!/bin/sh
# Checks what the build cannot: each library's include root (cmake/Layers.cmake) holds only
# the folders below it, so an include of a folder above does not compile, but the compiler
# would still take a Qt header in the core from a default include path, and an include that
# climbs out of its folder ("../") around the root. Prints every such include and fails if
# there is any.
#   check-layers.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

grep -rEH --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include' \
    model storage sync period statement budget schedule bankimport app views dialogs resources |
    sed -E 's/^([^:]*):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<][^">]*[">]).*/\1 \2/' |
    awk '
    function under(dirs,    k, m, d) {
        m = split(dirs, d, " ")
        for (k = 1; k <= m; k++) if (index(file, d[k] "/") == 1) return 1
        return 0
    }
    function rule(dirs, pattern, why) {
        if (under(dirs) && header ~ pattern) {
            print file " includes " header ": " why
            bad++
        }
    }
    {
        file = $1; header = $2
        rule("resources app/platform period model storage sync statement budget schedule app/core bankimport app/cli", "^<(Q|qt)",
             "the core and the command line do not use Qt")
        rule("resources app views dialogs model storage sync period statement budget schedule bankimport", "\\.\\./",
             "an include names its folder from the source root, never climbing out of its own")
    }
    END {
        if (bad) {
            print "check-layers: " bad " include(s) the build cannot refuse" > "/dev/stderr"
            exit 1
        }
        print "check-layers: no Qt in the core, no include around the layers"
    }'
