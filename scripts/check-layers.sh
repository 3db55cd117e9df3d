#!/usr/bin/env bash
# Fails when a file reaches up the layers. The core (the folders below, outside
# their ui/ subfolders) is plain C++: no Qt header, nothing from widgets/, app/,
# cli/ or a ui/ folder. The shared widgets stand below every ui/ folder, and a
# subsystem's ui/ folder reaches only the ui/ folders of earlier subsystems;
# none reaches the shell (app/, cli/).
set -euo pipefail
cd "$(dirname "$0")/.."

core_folders=(hexcodec settings util imaging segment dates exif optimise editor)
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*'
core_forbidden="${include}(Qt?[A-Za-z]|qt|app/|widgets/|cli/|[A-Za-z_]+/ui/)"
widget_forbidden="${include}(app|cli)/"

status=0
# report_hits PATTERN FILE...: prints every include of FILE... that PATTERN forbids.
report_hits() {
    local pattern=$1
    shift
    local hits
    if hits=$(grep -n -H -E "$pattern" "$@"); then
        sed 's/^/layer violation: /' <<<"$hits" >&2
        status=1
    fi
}

sources() {
    find "$@" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.in' \) -print0
}

for folder in "${core_folders[@]}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
        report_hits "$core_forbidden" "$file"
    done < <(find "$folder" -path "$folder/ui" -prune -o -type f \
        \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.in' \) -print0)
done
# later_ui INDEX: an alternation of the ui/ folders of core_folders from INDEX on.
later_ui() {
    local IFS='|'
    echo "${core_folders[*]:$1}"
}

if [ -d widgets ]; then
    while IFS= read -r -d '' file; do
        report_hits "$widget_forbidden" "$file"
        report_hits "${include}($(later_ui 0))/ui/" "$file"
    done < <(sources widgets)
fi
for index in "${!core_folders[@]}"; do
    folder=${core_folders[$index]}/ui
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
        report_hits "$widget_forbidden" "$file"
        report_hits "${include}($(later_ui $((index + 1))))/ui/" "$file"
    done < <(sources "$folder")
done
if [ "$status" -eq 0 ]; then
    echo "layers: every include points down the layers"
fi
exit "$status"
