#!/usr/bin/env bash
# The main job on this machine, as far as the installer goes today: the download engine fetches a package from
# a local server over many connections, is interrupted and resumes; then the installer executable starts, loads
# its configuration and strings, posts the product series to the maker's platform (played by maker-sim at the
# addresses compiled into this build) and shows its log and what the platform received.
set -uo pipefail
build_dir=${1:-build}
here=$(dirname "$0")

bash "$here/demo-fetch.sh" "$build_dir" || exit 1

demo_tmp=$(mktemp -d)
export TMPDIR=$demo_tmp

"$build_dir/bin/maker-sim" --profile-ports --cert "$build_dir/test-ca/server.pem" \
  --key "$build_dir/test-ca/server.key" --record "$demo_tmp/maker-requests.jsonl" \
  --ports-file "$demo_tmp/maker-ports.json" >/dev/null &
sim_pid=$!
for _ in $(seq 100); do
  [ -s "$demo_tmp/maker-ports.json" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -s "$demo_tmp/maker-ports.json" ]; then
  echo "demo: maker-sim plays the maker's services: $(cat "$demo_tmp/maker-ports.json")"
else
  echo "demo: maker-sim did not start (ports taken?); the installer logs its failed service calls"
fi
echo
echo "demo: running $build_dir/bin/ixo-setup (log folder: $demo_tmp/Kelvarosoft/IXO/)"
if [ "$(id -u)" -eq 0 ]; then
  # As administrator it starts and waits in its main loop; a quit request ends it.
  "$build_dir/bin/ixo-setup" &
  pid=$!
  for _ in $(seq 100); do
    grep -qs 'MessageLoop' "$demo_tmp/Kelvarosoft/IXO/kxIXO.log" && break
    sleep 0.1
  done
  kill -TERM "$pid"
  wait "$pid"
else
  "$build_dir/bin/ixo-setup"
fi
echo "demo: ixo-setup ended with status $?"
for log in "$demo_tmp"/Kelvarosoft/IXO/*.log; do
  echo "--- $log"
  cat "$log"
done
kill -TERM "$sim_pid" 2>/dev/null
wait "$sim_pid" 2>/dev/null
if [ -s "$demo_tmp/maker-requests.jsonl" ]; then
  echo "--- what the maker's services received (method, service, path)"
  field() { grep -o "\"$1\":\"[^\"]*\"" <<<"$2" | head -1 | cut -d'"' -f4; }
  while read -r request; do
    echo "$(field method "$request") $(field service "$request") $(field path "$request")"
  done <"$demo_tmp/maker-requests.jsonl"
fi
rm -rf "$demo_tmp"
