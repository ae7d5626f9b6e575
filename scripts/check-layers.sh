#!/bin/sh
# Checks the include rules of ARCHITECTURE.md on the sources: prints every #include that
# breaks one and fails if there is any.
#   check-layers.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

# Includes that break a rule today, each until the change that removes it is merged
# ("FILE: INCLUDED"). Delete lines here as the code stops needing them.
allowed='
model/Account.cpp: app/core/MainFrameCore.h
model/CategoryNode.cpp: app/core/MainFrameCore.h
model/CategoryNode.cpp: storage/VerdalonDoc.h
storage/VerdalonDoc.cpp: app/core/MainFrameCore.h
views/DocumentCommands.cpp: app/qt/QtPlatform.h
views/FinancesTreeView.cpp: app/qt/QtPlatform.h
views/ImportCommand.cpp: app/qt/QtPlatform.h
views/MainFrame.cpp: app/qt/QtPlatform.h
views/PeriodBar.cpp: app/qt/QtPlatform.h
views/TreeDialogs.cpp: app/qt/QtPlatform.h
'

# rule FOLDERS PATTERN WHY: no file under FOLDERS includes a header matching PATTERN
# (an extended regular expression on the include's name with its brackets or quotes).
failed=0
rule() {
    folders=$1 pattern=$2 why=$3
    # grep prints "file:#include <x>"; a folder that does not exist has nothing to break.
    for folder in $folders; do
        [ -d "$folder" ] || continue
        grep -rEH --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include' "$folder" |
            sed -E 's/^([^:]*):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<][^">]*[">]).*/\1 \2/'
    done | while read -r file header; do
        if printf '%s\n' "$header" | grep -Eq "$pattern"; then
            name=$(printf '%s\n' "$header" | tr -d '"<>')
            if ! printf '%s\n' "$allowed" | grep -Fxq "$file: $name"; then
                echo "$file includes $name: $why"
            fi
        fi
    done
}

report=$(
    rule "model storage period app/core" '^<Q|^<qt|^<Qt' 'the core does not use Qt'
    rule "model storage period app/core" '^"(views|dialogs|app/qt|app/cli)/' \
        'the core does not reach up to the Qt program or the command line'
    rule "model storage period" '^"app/core/MainFrameCore\.h"' \
        'the model, the data file and the period do not see the frame'
    rule "model" '^"storage/' 'the model does not know the data file'
    rule "views" '^"app/qt/' 'the panes do not reach the program start-up'
    rule "dialogs" '^"views/' 'the dialogs do not know the panes that open them'
    rule "app/cli" '^<Q|^<qt|^<Qt|^"(views|dialogs|app/qt)/' 'the command line does not use Qt'
)
if [ -n "$report" ]; then
    printf '%s\n' "$report"
    echo "check-layers: $(printf '%s\n' "$report" | wc -l) include(s) break the layers" >&2
    exit 1
fi
# An allowance nothing needs any more is stale: say so, so it gets deleted.
stale=$(printf '%s\n' "$allowed" | while IFS= read -r line; do
    [ -n "$line" ] || continue
    file=${line%%: *} name=${line#*: }
    grep -Eq "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$name\"" "$file" 2>/dev/null ||
        echo "$line"
done)
if [ -n "$stale" ]; then
    printf 'no longer needed, delete from %s:\n%s\n' "$0" "$stale" >&2
    exit 1
fi
echo "check-layers: every include keeps to the layers"
