#!/usr/bin/env bash
# The main job on this machine, as far as the installer goes today: the download engine fetches a package from
# a local server over many connections, is interrupted and resumes; then the installer executable starts, loads
# its configuration and strings, and shows where its log went.
set -uo pipefail
build_dir=${1:-build}
here=$(dirname "$0")

bash "$here/demo-fetch.sh" "$build_dir" || exit 1

demo_tmp=$(mktemp -d)
export TMPDIR=$demo_tmp
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
rm -rf "$demo_tmp"
