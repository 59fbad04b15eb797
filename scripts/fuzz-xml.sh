#!/usr/bin/env bash
# Builds the XML document fuzz target with clang's libFuzzer and the address and undefined-behaviour sanitizers,
# then runs it on one core. Kept apart from the normal build and tests.
#
#   scripts/fuzz-xml.sh [seconds] [more libFuzzer options ...]     (default: 600 seconds)
#
# The growing corpus and any crash input go to build-fuzz/ (FUZZ_BUILD_DIR to change); the seeds in
# tests/fuzz/xml_corpus/ are read but never written. Replay one input: build-fuzz/xml_document_fuzzer <file>
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-600}
shift || true
mkdir -p "$out/corpus" "$out/artifacts"

sources=("$root/tests/fuzz/xml_document_fuzzer.cpp" "$root/tests/fuzz/xml_document_fuzz_case.cpp"
         "$root/formats/utf_conversion.cpp" "$root/platform/file_system_linux.cpp")
for source in "$root"/formats/xml_*.cpp; do sources+=("$source"); done

echo "fuzz-xml: building $out/xml_document_fuzzer"
clang++ -std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=all -I"$root" "${sources[@]}" -o "$out/xml_document_fuzzer"

echo "fuzz-xml: running for ${seconds} s"
exec "$out/xml_document_fuzzer" "$out/corpus" "$root/tests/fuzz/xml_corpus" \
  -dict="$root/tests/fuzz/xml.dict" -max_total_time="$seconds" -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 "$@"
