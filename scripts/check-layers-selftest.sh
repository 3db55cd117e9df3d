#!/usr/bin/env bash
# Proves that scripts/check-layers.py cannot be fooled: in a scratch copy of the
# sources it plants one include at a time, each wrong-way include in the spellings
# that slipped past a text search, each with a legal twin, and expects the check
# to fail on every wrong one and pass on the clean copy and on every legal one.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tar --exclude=./.git --exclude='./build*' -cf - . | tar -xf - -C "$scratch"
# An empty header in every layer, for the planted includes to name.
for folder in hexcodec settings util imaging segment dates exif optimise editor widgets \
    segment/ui dates/ui exif/ui optimise/ui editor/ui app app/ui cli tests/support; do
    mkdir -p "$scratch/$folder"
    : >"$scratch/$folder/Planted.h"
done

failures=0
# expect pass|fail FILE DIRECTIVE: plants DIRECTIVE as FILE, runs the check, removes FILE.
expect() {
    local want=$1 file=$2 directive=$3 got=pass report
    mkdir -p "$(dirname "$scratch/$file")"
    printf '%b\n' "$directive" >"$scratch/$file"
    # A failure counts only when it names the planted file, not when the check breaks.
    if ! report=$(python3 "$scratch/scripts/check-layers.py" "$scratch" 2>&1); then
        got=broken
        grep -qF "layer violation: $file:" <<<"$report" && got=fail
    fi
    rm "$scratch/$file"
    if [ "$got" = "$want" ]; then
        printf 'ok    %s  %-22s %s\n' "$want" "$file" "$directive"
    else
        printf 'WRONG %s  %-22s %s (expected %s)\n' "$got" "$file" "$directive" "$want"
        failures=$((failures + 1))
    fi
}

expect pass util/Clean.cpp '#include <vector>'
while read -r want file directive; do
    expect "$want" "$file" "$directive"
done <<'EOF'
fail util/Case.cpp        #include <qstring.h>
fail util/Case.cpp        #include <QString>
fail util/Case.cpp        #include <QtGlobal>
fail util/Case.cpp        #include <QtCore/QString>
fail util/Case.cpp        #include <qtwidgets/qwidget.h>
fail util/Case.cpp        #include "QString"
fail util/Case.cpp        #include "../../../../../../../../usr/include/qt6/QtCore/qstring.h"
fail util/Case.cpp        #include "ui_Planted.h"
pass util/Case.cpp        #include <queue>
pass exif/ui/Case.cpp     #include <qstring.h>
fail exif/Case.cpp        #include "ui/Planted.h"
fail exif/Case.cpp        #include "../optimise/ui/Planted.h"
fail segment/Case.cpp     #include "app/Planted.h"
pass exif/ui/Case.cpp     #include "../Planted.h"
pass exif/Case.cpp        #include "../util/Planted.h"
fail util/Case.cpp        #include "exif/Planted.h"
fail util/Case.cpp        #  include /* why */ "exif/Planted.h"
fail util/Case.cpp        #include \\\n  "exif/Planted.h"
pass exif/Case.cpp        #include \\\n  "util/Planted.h"
fail settings/Case.cpp    #include "util/Planted.h"
fail hexcodec/Case.cpp    #include "settings/Planted.h"
pass exif/Case.cpp        #include "util/Planted.h"
pass util/Case.cpp        #include <settings/Planted.h>
fail hexcodec/Case.cpp    #include "segment/Planted.h"
pass segment/Case.cpp     #include "hexcodec/Planted.h"
fail widgets/Case.cpp     #include "exif/ui/Planted.h"
pass exif/ui/Case.cpp     #include "widgets/Planted.h"
fail util/Case.cc         #include "app/Planted.h"
fail util/Case.hh         #include <QString>
fail util/Case.hpp        #include <QString>
fail util/Case.hxx        #include <QString>
fail util/Case.c          #include <QString>
fail util/Case.cxx        #include <QString>
fail util/Case.ipp        #include <QString>
fail util/Case.inl        #include <QString>
fail util/Case.h.in       #include <QString>
fail util/sub/Case.CPP    #include <QString>
pass util/Case.cc         #include "settings/Planted.h"
fail segment/ui/Case.cpp  #include "editor/ui/Planted.h"
fail dates/ui/Case.cpp    #include "exif/ui/Planted.h"
pass editor/ui/Case.cpp   #include "segment/ui/Planted.h"
fail app/Case.cpp         #include "cli/Planted.h"
fail cli/Case.cpp         #include "app/Planted.h"
pass cli/Case.cpp         #include "app/QtSettingsStore.h"
pass app/ui/Case.cpp      #include "editor/ui/Planted.h"
fail util/Case.cpp        #include "tests/support/Planted.h"
pass tests/Case.cpp       #include "app/ui/Planted.h"
fail util/Case.cpp        #include KESTRIN_HEADER
fail newfolder/Case.cpp   #include <vector>
EOF

if [ "$failures" -ne 0 ]; then
    echo "layers self-test: $failures case(s) not as expected"
    exit 1
fi
echo "layers self-test: every planted case as expected"
