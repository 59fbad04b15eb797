#!/usr/bin/env bash
# The main job on this machine: runs the installer executable and shows where its log went.
set -uo pipefail
build_dir=${1:-build}
demo_tmp=$(mktemp -d)
export TMPDIR=$demo_tmp
echo "demo: running $build_dir/bin/ixo-setup (log folder: $demo_tmp/Kelvarosoft/IXO/)"
if [ "$(id -u)" -eq 0 ]; then
  # As administrator it starts and waits in its main loop; a quit request ends it.
  "$build_dir/bin/ixo-setup" &
  pid=$!
  sleep 2
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
