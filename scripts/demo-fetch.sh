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

nginx_pid=""
stop_nginx() {
  [ -n "$nginx_pid" ] && nginx -q -p "$work/nginx/" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" -s stop
  rm -rf "$work"
}
trap stop_nginx EXIT

# A free port: nginx is asked to bind one after another until it starts.
for attempt in 1 2 3 4 5 6 7 8; do
  port=$((20000 + RANDOM % 40000))
  cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 2;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $work/nginx/tmp/body;
  proxy_temp_path $work/nginx/tmp/proxy;
  fastcgi_temp_path $work/nginx/tmp/fastcgi;
  uwsgi_temp_path $work/nginx/tmp/uwsgi;
  scgi_temp_path $work/nginx/tmp/scgi;
  sendfile on;
  server {
    listen 127.0.0.1:$port;
    root $work/site;
    # 1 MB/s per connection, as many mirrors allow: the engine's many connections add up.
    limit_rate 1m;
  }
}
CONF
  if nginx -q -p "$work/nginx/" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" 2>/dev/null; then
    nginx_pid=$(cat "$work/nginx/nginx.pid")
    break
  fi
done
[ -n "$nginx_pid" ] || { echo "demo-fetch: nginx did not start" >&2; exit 1; }

url="http://localhost:$port/demo-package.bin"
echo "demo-fetch: $url ($size_mib MiB, md5 $md5)"
summary() { grep -v '^OnProgress\|^OnConnection\|^OnAddressUsed' | sed 's/^/  /'; }

echo "demo-fetch: first run, interrupted with Ctrl-C after a moment"
export TMPDIR="$work"
"$fetch" --md5 "$md5" --save-every $((4 * 1024 * 1024)) "$url" "$work/downloads" > "$work/first.txt" &
fetch_pid=$!
for _ in $(seq 1 100); do
  grep -q '^OnProgress' "$work/first.txt" 2>/dev/null && [ "$(grep -c '^OnProgress' "$work/first.txt")" -ge 6 ] && break
  sleep 0.1
done
kill -INT "$fetch_pid"
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
