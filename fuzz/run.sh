#!/bin/sh
# Builds the RTF fuzz target with clang and runs it over the corpus for the given number of
# seconds (default 60). Usage: fuzz/run.sh [seconds] [extra libFuzzer options]
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${TERMORA_FUZZ_BUILD:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERMORA_FUZZ=ON -DTERMORA_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_rtf -j"${JOBS:-2}"
work="$build/fuzz-corpus"
mkdir -p "$work"
# Seeds: every RTF file of the compatibility corpus, and recipes for inputs larger than the
# length cap (fuzz_rtf.cpp), read-only, so libFuzzer writes new cases into its own folder. A
# generated half megabyte of paragraphs takes seconds under the sanitizers: the timeout leaves
# room for it and still catches a hang. Crashing inputs go into the build folder.
LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
QT_QPA_PLATFORM=offscreen "$build/fuzz/fuzz_rtf" "$work" "$root/tests/rtf/rtf-corpus" "$here/seeds" \
  -max_total_time="$seconds" -max_len=262144 -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$build/" \
  -dict="$here/rtf.dict" -print_final_stats=1 "$@"
