#!/usr/bin/env bash
# Fails when a file reaches up the layers. The core (the folders below, outside
# their ui/ subfolders) is plain C++: no Qt header, nothing from widgets/, app/,
# cli/ or a ui/ folder. The shared widgets and the subsystems' ui/ folders stand
# below the shell: nothing from app/ or cli/.
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
for folder in widgets "${core_folders[@]/%//ui}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
        report_hits "$widget_forbidden" "$file"
    done < <(sources "$folder")
done
if [ "$status" -eq 0 ]; then
    echo "layers: every include points down the layers"
fi
exit "$status"
