#!/usr/bin/env bash
# The layer check on a small tree of its own: it names the file and line of an include from a higher layer,
# from a sibling window folder and of a cycle, and passes the same tree once they are gone.
set -euo pipefail
CHECK=$(realpath "$1")
TREE=$(mktemp -d)
trap 'rm -rf "$TREE"' EXIT
mkdir -p "$TREE"/datastore "$TREE"/app/{platform,tripdata,common,trips,reports,shell}
cd "$TREE"
echo '#pragma once' > datastore/Wendlo.h
printf '#include "Wendlo.h"\n#include "shell/Main.h"\n' > app/platform/Box.h
printf '#include "common/List.h"\n#include "reports/Report.h"\n' > app/trips/Window.cpp
printf '#pragma once\n#include "Wendlo.h"\n' > app/common/List.h
printf '#include "common/List.h"\n#include "common/Rows.h"\n' > app/common/List.cpp
printf '#pragma once\n' > app/common/Rows.h
printf '#include "common/Rows.h"\n\n#include "common/List.h"\n' > app/common/Rows.cpp
touch app/reports/Report.h app/shell/Main.h app/main.cpp

fail() { echo "layers_check: $*"; exit 1; }
if out=$(bash "$CHECK" "$TREE"); then fail "passed a tree with faults: $out"; fi
for want in 'app/platform/Box.h:2: includes "shell/Main.h" from shell/, a higher layer' \
            'app/trips/Window.cpp:2: includes "reports/Report.h" from the sibling folder reports/' \
            'app/common/List.cpp:2: app/common/List includes app/common/Rows' \
            'app/common/Rows.cpp:3: app/common/Rows includes app/common/List' 'layers: 3 problem(s)'; do
  grep -qF "$want" <<<"$out" || fail "no \"$want\" in: $out"
done
sed -i '2d' app/platform/Box.h app/trips/Window.cpp
sed -i '3d' app/common/Rows.cpp
bash "$CHECK" "$TREE" >/dev/null || fail "refused the mended tree: $(bash "$CHECK" "$TREE")"
