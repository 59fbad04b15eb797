#!/usr/bin/env bash
# Download benchmark: nginx on loopback serves one generated file; ixo-fetch, aria2c -x16 -s16 and curl fetch
# it in turn, (a) from a server that limits every connection (as many mirrors do) and (b) without a limit.
# Prints throughput, CPU time and peak resident memory of each, and the ratios to aria2c and curl.
#
#   tools/bench/download_bench.sh [BUILD_DIR] [SIZE_MIB] [RATE_PER_CONNECTION]
#
# BUILD_DIR holds a Release build (cmake -DCMAKE_BUILD_TYPE=Release). Defaults: build-release, 512 MiB, 4m
# (nginx's notation: 4 MiB/s). curl over the limited server takes SIZE / RATE seconds (over two minutes for the
# defaults). In case (b) curl is followed by md5sum, because the engine checks the digest of what it fetched
# and a user of curl would have to. The row "ixo-fetch-nomd5" is the engine without an expected digest: what
# the check costs is the difference to the row above it.
set -uo pipefail
build_dir=${1:-build-release}
size_mib=${2:-512}
rate=${3:-4m}
fetch="$build_dir/bin/ixo-fetch"
for tool in "$fetch" aria2c curl md5sum nginx /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "download_bench: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done
# Figures of an unoptimised engine say little: name the build type with them.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt" 2>/dev/null)
[ "$build_type" = Release ] ||
  echo "download_bench: $build_dir is a '${build_type:-unknown}' build; configure one with -DCMAKE_BUILD_TYPE=Release" >&2

work=$(mktemp -d)
chmod 755 "$work"
mkdir -p "$work/site" "$work/nginx/tmp" "$work/out"
chmod 755 "$work/site"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/site/bench.bin"
chmod 644 "$work/site/bench.bin"
bytes=$((size_mib * 1024 * 1024))
md5=$(md5sum "$work/site/bench.bin" | cut -d' ' -f1)

source "$(dirname "$0")/../../scripts/loopback-nginx.sh"
cleanup() {
  loopback_nginx_stop "$work"
  rm -rf "$work"
}
trap cleanup EXIT

# The limited server on the base port, the open one on the next.
bench_servers() {
  echo "  server { listen 127.0.0.1:$1; root $work/site; limit_rate $rate; }"
  echo "  server { listen 127.0.0.1:$(($1 + 1)); root $work/site; }"
}
loopback_nginx_start "$work" bench_servers || { echo "download_bench: nginx did not start" >&2; exit 1; }
limited=$loopback_nginx_port
open=$((limited + 1))

results="$work/results.txt"
: > "$results"
# measure CASE TOOL COMMAND...: runs the command under GNU time and records "case tool seconds cpu kib".
measure() {
  local case=$1 tool=$2
  shift 2
  rm -rf "$work/out" && mkdir -p "$work/out"
  sync
  # Every program starts with memory that was in use a moment ago: a virtual machine's host takes back the
  # memory of an idle guest, and the first program to touch it again pays for that in system time (on the VM
  # of docs/benchmarks.md up to 0.5 s for the engine, which fills 120 MiB of buffers, depending on what ran
  # before it).
  dd if=/dev/zero of=/dev/null bs=1G count=1 status=none
  if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" > "$work/run.log" 2>&1; then
    echo "download_bench: $tool failed in case $case:" >&2
    tail -5 "$work/run.log" >&2
  fi
  local got
  got=$(md5sum "$work/out/bench.bin" 2>/dev/null | cut -d' ' -f1)
  [ "$got" = "$md5" ] || echo "download_bench: $tool in case $case produced a different file" >&2
  read -r seconds user system kib < "$work/time.txt"
  echo "$case $tool $seconds $(awk "BEGIN { print $user + $system }") $kib" >> "$results"
  echo "  $case $tool: ${seconds}s" >&2
}

for case in a b; do
  port=$([ "$case" = a ] && echo "$limited" || echo "$open")
  url="http://localhost:$port/bench.bin"
  echo "case $case ($([ "$case" = a ] && echo "$rate per connection" || echo "no limit")), $size_mib MiB" >&2
  measure "$case" ixo-fetch "$fetch" --md5 "$md5" "$url" "$work/out"
  measure "$case" ixo-fetch-nomd5 "$fetch" "$url" "$work/out"
  measure "$case" aria2c aria2c -x16 -s16 --quiet --allow-overwrite=true -d "$work/out" -o bench.bin "$url"
  if [ "$case" = b ]; then
    measure "$case" curl+md5sum sh -c "curl -s -o '$work/out/bench.bin' '$url' && md5sum '$work/out/bench.bin'"
  fi
done
# curl over the limited server comes last: the machine is nearly idle for the two minutes it takes.
echo "case a, curl" >&2
measure a curl curl -s -o "$work/out/bench.bin" "http://localhost:$limited/bench.bin"
sort -s -k1,1 "$results" > "$results.sorted" && mv "$results.sorted" "$results"

rate_bytes=$(awk -v r="$rate" 'BEGIN { n = r + 0; u = tolower(substr(r, length(r))); if (u == "k") n *= 1024; if (u == "m") n *= 1048576; print n }')
awk -v bytes="$bytes" -v rate_bytes="$rate_bytes" -v size="$size_mib" -v rate="$rate" -v build_type="${build_type:-unknown}" '
  { c[NR] = $1; t[NR] = $2; s[NR] = $3; cpu[NR] = $4; kib[NR] = $5; mbps[NR] = bytes / $3 / 1e6
    if ($2 == "aria2c") { aria[$1] = NR } else if ($2 ~ /^curl/) { curl[$1] = NR } }
  END {
    printf "download benchmark: %d MiB over loopback; case a: %s per connection, case b: no limit; %s build\n", size,
           rate, build_type
    printf "%-4s %-15s %9s %9s %8s %11s %9s %10s %10s\n", "case", "tool", "seconds", "MB/s", "CPU s", "CPU ns/B",
           "peak MiB", "x aria2c", "x curl"
    for (i = 1; i <= NR; i++) {
      a = aria[c[i]]; k = curl[c[i]]
      printf "%-4s %-15s %9.2f %9.1f %8.2f %11.3f %9.1f %10.2f %10.2f\n", c[i], t[i], s[i], mbps[i], cpu[i],
             cpu[i] * 1e9 / bytes, kib[i] / 1024, mbps[i] / mbps[a], mbps[i] / mbps[k]
    }
    for (i = 1; i <= NR; i++) if (t[i] == "ixo-fetch" && c[i] == "a")
      printf "case a: ixo-fetch reaches %.0f %% of 24 connections at %s (%.1f MB/s)\n",
             100 * mbps[i] / (24 * rate_bytes / 1e6), rate, 24 * rate_bytes / 1e6
    for (i = 1; i <= NR; i++) if (t[i] == "ixo-fetch")
      printf "case %s: ixo-fetch CPU per byte is %.2f times aria2c'"'"'s\n", c[i], (cpu[i] / bytes) / (cpu[aria[c[i]]] / bytes)
  }' "$results"
