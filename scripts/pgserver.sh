#!/usr/bin/env bash
# A throwaway PostgreSQL server for checks and tests, from Debian's postgresql-15
# (scripts/setup.sh installs it). Sourced, it gives two functions:
#
#   pg_start DIR [tcp|TCP-PORT]
#                             makes a cluster in DIR (a new or empty folder, made if missing)
#                             and starts its server on a Unix socket in DIR only, or, with
#                             tcp (a free port) or a port, on 127.0.0.1 too (a Windows
#                             program under Wine reaches no Unix socket). A role pelora,
#                             which may create databases, logs in with a password chosen
#                             here (scram-sha-256). TLS is on, with a certificate of its
#                             own: on TCP, sslmode=require works. Exports and prints the
#                             connection:
#                               PELORA_TEST_PG="host=DIR port=N dbname=postgres user=pelora password=XYZ"
#                             (host=127.0.0.1 with TCP).
#   pg_ctl_as DIR ARGS...     runs pg_ctl on that cluster as its owner: stop -m immediate
#                             ends the server as a crash or a power cut would, start -w
#                             starts it again as it was.
#   pg_cut DIR on|off         on: the server's TCP port drops every packet both ways, as a
#                             pulled cable or a dead switch does (nothing refuses, nothing
#                             answers); off: the network is back. Takes root and nft.
#   pg_stop DIR               stops that server and deletes DIR.
#
# Run as a script it does the same: scripts/pgserver.sh start DIR [tcp|TCP-PORT] | ctl DIR ARGS... |
# cut DIR on|off | stop DIR.
# The server refuses to run as root: run by root, the cluster belongs to the user nobody.
# Its log is DIR/server.log.

pg_bin=/usr/lib/postgresql/15/bin

# The user the server runs as, and a way to run a command as that user.
pg__user() { if [ "$(id -u)" -eq 0 ]; then echo nobody; else id -un; fi; }
pg__as() {
  local user=$1
  shift
  if [ "$user" = "$(id -un)" ]; then "$@"; else runuser -u "$user" -- "$@"; fi
}

# True when something already listens on 127.0.0.1 at the port.
pg__port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

pg_start() {
  local dir=${1:?pg_start DIR [tcp|TCP-PORT]} port=${2:-} user
  [ -x "$pg_bin/initdb" ] || { echo "pg_start: no $pg_bin/initdb (scripts/setup.sh installs postgresql-15)" >&2; return 1; }
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  [ -z "$(ls -A "$dir")" ] || { echo "pg_start: $dir is not empty" >&2; return 1; }
  user=$(pg__user)
  chown "$user" "$dir"
  chmod 700 "$dir"
  pg__as "$user" test -w "$dir" || { echo "pg_start: $user cannot write to $dir" >&2; return 1; }

  # Letters and digits only: the connection string is key=value pairs separated by spaces.
  local password
  password=$(head -c 32 /dev/urandom | base64 | tr -dc 'A-Za-z0-9' | head -c 20)
  printf '%s\n' "$password" >"$dir/password"
  chown "$user" "$dir/password"
  pg__as "$user" "$pg_bin/initdb" -D "$dir/data" -U postgres --pwfile="$dir/password" \
      --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; return 1; }
  rm -f "$dir/password"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 \
      -keyout "$dir/data/server.key" -out "$dir/data/server.crt" >/dev/null 2>&1 \
    || { echo "pg_start: no certificate could be made (openssl)" >&2; return 1; }
  chown "$user" "$dir/data/server.key" "$dir/data/server.crt"
  chmod 600 "$dir/data/server.key"
  # (No fsync: the cluster is thrown away, and the checks are quicker without.)
  cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = '$([ -n "$port" ] && echo 127.0.0.1)'
unix_socket_directories = '$dir'
ssl = on
fsync = off
synchronous_commit = off
full_page_writes = off
EOF

  # A free port when asked for one: another may take it before the server does,
  # so a server that cannot start is tried again on another. On the socket alone
  # the port only names the socket.
  local tries=1 host=127.0.0.1
  case $port in
    '') port=5432 host=$dir ;;
    tcp) tries=10 ;;
  esac
  for _ in $(seq "$tries"); do
    if [ "${2:-}" = tcp ]; then
      port=$((20000 + RANDOM % 40000))
      pg__port_taken "$port" && continue
    fi
    # (The port in the configuration, so that pg_ctl_as DIR start -w starts it as it was.)
    sed -i '/^port = /d' "$dir/data/postgresql.conf"
    echo "port = $port" >>"$dir/data/postgresql.conf"
    if pg_ctl_as "$dir" -l "$dir/server.log" -w -t 30 start >/dev/null 2>&1; then
      PGPASSWORD=$password "$pg_bin/psql" -X -q -h "$dir" -p "$port" -U postgres -d postgres \
          -v ON_ERROR_STOP=1 -c "CREATE ROLE pelora LOGIN CREATEDB PASSWORD '$password'" >&2 \
        || { pg__stop_server "$dir"; return 1; }
      export PELORA_TEST_PG="host=$host port=$port dbname=postgres user=pelora password=$password"
      echo "$PELORA_TEST_PG"
      return 0
    fi
  done
  echo "pg_start: the server did not start:" >&2
  tail -20 "$dir/server.log" >&2
  return 1
}

pg_ctl_as() {
  local dir=${1:?pg_ctl_as DIR ARGS...}
  shift
  pg__as "$(stat -c %U "$dir/data")" "$pg_bin/pg_ctl" -D "$dir/data" "$@"
}

pg_cut() {
  local dir=${1:?pg_cut DIR on|off} state=${2:?pg_cut DIR on|off} port table
  port=$(sed -n 's/^port = //p' "$dir/data/postgresql.conf")
  table=pelora_cut_$port
  nft delete table inet "$table" 2>/dev/null || true
  [ "$state" = off ] && return 0
  nft -f - <<EOF
table inet $table {
  chain input { type filter hook input priority -10; tcp dport $port drop; tcp sport $port drop; }
}
EOF
}

pg__stop_server() {
  local dir=$1
  [ -f "$dir/data/PG_VERSION" ] || return 0
  pg_ctl_as "$dir" -m fast -w stop >/dev/null 2>&1 || true
}

pg_stop() {
  local dir=${1:?pg_stop DIR}
  [ -d "$dir" ] || return 0
  # Only a folder pg_start made is deleted.
  [ -f "$dir/data/PG_VERSION" ] || [ -f "$dir/initdb.log" ] \
    || { echo "pg_stop: $dir holds no cluster of pg_start's" >&2; return 1; }
  pg__stop_server "$dir"
  pg_cut "$dir" off 2>/dev/null || true
  rm -rf "$dir"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case ${1:-} in
    start) shift; pg_start "$@" ;;
    ctl) shift; pg_ctl_as "$@" ;;
    cut) shift; pg_cut "$@" ;;
    stop) shift; pg_stop "$@" ;;
    *) echo "usage: $0 start DIR [tcp|TCP-PORT] | ctl DIR ARGS... | cut DIR on|off | stop DIR" >&2; exit 2 ;;
  esac
fi
