#!/usr/bin/env bash
# The shared library exports exactly the functions its public header declares.
set -euo pipefail
library=$1
header=$2
declared=$(grep -oE 'MOBREL_API int MobrelApi_[A-Za-z0-9_]+' "$header" | awk '{print $3}' | sort)
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort)
count=$(printf '%s\n' "$declared" | wc -l)
if [ "$declared" != "$exported" ]; then
    echo "declared but not exported:"; comm -23 <(echo "$declared") <(echo "$exported")
    echo "exported but not declared:"; comm -13 <(echo "$declared") <(echo "$exported")
    exit 1
fi
[ "$count" -eq 48 ] || { echo "the header declares $count exports, not 48"; exit 1; }
echo "exactly the 48 declared exports"
