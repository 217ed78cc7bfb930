#!/bin/sh
# A hundred kill trials: a child stores, changes and deletes definitions of 1 to 50 KB and is
# killed (SIGKILL) at a random moment; after each, both table files must pass integrity_check
# and every committed change must be there byte for byte.
#   bench/kill_trials.sh [build-folder] [trials]
set -eu
build=${1:-build}
trials=${2:-100}
tests="$build/tests/data/data_tests"
[ -x "$tests" ] || { echo "no $tests: build the tests first" >&2; exit 2; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
TERMORA_KILL_TRIALS=$trials QT_QPA_PLATFORM=offscreen "$tests" \
  --gtest_filter=GlossaryStore.AKilledWriterLosesNothingItCommitted >"$log" 2>&1 || status=$?
grep '^kill trial' "$log" || true
grep -E 'Failure|FAILED|seed' "$log" || true
ran=$(grep -c '^kill trial' "$log" || true)
stored=$(sed -n 's/^kill trial [0-9]*: \([0-9]*\) terms stored.*/\1/p' "$log" | awk '{s += $1} END {print s + 0}')
if [ "$status" -eq 0 ]; then
  echo "$ran of $trials trials passed; $stored terms stored before the kills, none lost"
else
  echo "FAILED after $ran trials (see above)"
fi
exit "$status"
