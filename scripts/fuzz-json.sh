#!/usr/bin/env bash
# Builds the libFuzzer target of the JSON wrapper's parser and runs it on one core.
#   scripts/fuzz-json.sh [seconds]     (default 600)
# The corpus grows in build-fuzz/json-corpus (seeded from tests/fuzz/json_seeds); a failing input is written
# as build-fuzz/json-crash-* and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build-fuzz
mkdir -p "$out/json-corpus"
cp -n tests/fuzz/json_seeds/* "$out/json-corpus/" 2>/dev/null || true

clang++ -std=c++20 -g -O1 -I. \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  formats/json_value.cpp tests/fuzz/json_value_fuzz.cpp -o "$out/json_value_fuzz"

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$out/json_value_fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$out/json-" "$out/json-corpus"
