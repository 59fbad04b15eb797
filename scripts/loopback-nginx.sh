# nginx on loopback for the demo and the benchmarks, run from a work folder: source this file, then
#   loopback_nginx_start WORK SERVERS   starts nginx with its files in WORK/nginx; SERVERS names a function that
#                                       prints the server blocks for a base port (its first argument). Tries
#                                       random ports until nginx binds; sets loopback_nginx_port. False when
#                                       nginx never started.
#   loopback_nginx_stop WORK            stops it (nothing when it did not start)
loopback_nginx_port=""

loopback_nginx_start() {
  local work=$1 servers=$2
  mkdir -p "$work/nginx/tmp"
  for _ in 1 2 3 4 5 6 7 8; do
    local port=$((20000 + RANDOM % 40000))
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
$("$servers" "$port")
}
CONF
    if nginx -q -p "$work/nginx/" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" 2>/dev/null; then
      loopback_nginx_port=$port
      return 0
    fi
  done
  return 1
}

loopback_nginx_stop() {
  local work=$1
  [ -n "$loopback_nginx_port" ] &&
    nginx -q -p "$work/nginx/" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" -s stop
  loopback_nginx_port=""
}
