#!/usr/bin/env bash
# Shows the download engine at work: nginx on loopback serves a generated file, ixo-fetch downloads it over
# many connections, is interrupted once with Ctrl-C (SIGINT) and then resumes from its saved range table.
#   scripts/demo-fetch.sh [BUILD_DIR] [SIZE_MIB]
set -uo pipefail
build_dir=${1:-build}
size_mib=${2:-64}
fetch="$build_dir/bin/ixo-fetch"
[ -x "$fetch" ] || { echo "demo-fetch: $fetch is missing; build first" >&2; exit 1; }

work=$(mktemp -d)
chmod 755 "$work"
mkdir -p "$work/site" "$work/nginx/tmp" "$work/downloads"
chmod 755 "$work/site"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/site/demo-package.bin"
chmod 644 "$work/site/demo-package.bin"
md5=$(md5sum "$work/site/demo-package.bin" | cut -d' ' -f1)

source "$(dirname "$0")/loopback-nginx.sh"
cleanup() {
  loopback_nginx_stop "$work"
  rm -rf "$work"
}
trap cleanup EXIT

# 1 MB/s per connection, as many mirrors allow: the engine's many connections add up.
demo_server() { echo "  server { listen 127.0.0.1:$1; root $work/site; limit_rate 1m; }"; }
loopback_nginx_start "$work" demo_server || { echo "demo-fetch: nginx did not start" >&2; exit 1; }
port=$loopback_nginx_port

url="http://localhost:$port/demo-package.bin"
echo "demo-fetch: $url ($size_mib MiB, md5 $md5)"
summary() { grep -v '^OnProgress\|^OnConnection\|^OnAddressUsed' | sed 's/^/  /'; }

echo "demo-fetch: first run, interrupted with Ctrl-C after a moment"
export TMPDIR="$work"
"$fetch" --md5 "$md5" --save-every $((4 * 1024 * 1024)) "$url" "$work/downloads" > "$work/first.txt" &
fetch_pid=$!
for _ in $(seq 1 100); do
  [ "$(grep -c '^OnProgress' "$work/first.txt" 2>/dev/null)" -ge 2 ] && break
  sleep 0.1
done
kill -INT "$fetch_pid" 2>/dev/null || echo "  (it had finished already: nothing to resume)"
wait "$fetch_pid"
echo "  exit status $?"
summary < "$work/first.txt"

echo "demo-fetch: second run, resuming"
start=$(date +%s.%N)
"$fetch" --md5 "$md5" "$url" "$work/downloads" > "$work/second.txt"
status=$?
end=$(date +%s.%N)
summary < "$work/second.txt"
grep -h "resume download\|cached=" "$work"/Kelvarosoft/IXO/ixo-fetch.log | sed 's/^/  log: /'
echo "demo-fetch: exit status $status in $(awk "BEGIN { printf \"%.2f\", $end - $start }") s"
if [ "$status" -eq 0 ] && [ "$(md5sum "$work/downloads/demo-package.bin" | cut -d' ' -f1)" = "$md5" ]; then
  echo "demo-fetch: the downloaded file matches"
else
  echo "demo-fetch: FAILED" >&2
  exit 1
fi
