#!/usr/bin/env bash
# Runs a command next to a throw-away PostgreSQL server: creates a cluster in
# a temporary folder, starts it on a free loopback port (and a Unix socket in
# that folder) with TLS on a self-signed certificate, exports
# NXA_POSTGRES_URL=postgresql://postgres@127.0.0.1:PORT/postgres and
# NXA_POSTGRES_SOCKET_DIR (the socket's folder), runs the command, then stops
# the server and removes the folder. The role "tlsonly" may connect over TCP
# only with TLS, so a test can tell that a client asked for it. The server
# never runs as root: as root it runs as the "postgres" account.
#   scripts/with-postgres.sh ctest -R _postgres
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ]; then
  echo "with-postgres.sh: no PostgreSQL server installed (scripts/install-deps.sh)" >&2
  exit 1
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/nxa-postgres.XXXXXX")
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$folder"
  as_server=(setpriv --reuid=postgres --regid=postgres --init-groups --)
fi
started=""
stop_server() {
  if [ -n "$started" ]; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$folder"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

"${as_server[@]}" "$bindir/initdb" -D "$folder/data" -U postgres -A trust -E UTF8 \
  --no-sync >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log" >&2; exit 1; }
openssl req -new -x509 -days 2 -nodes -subj /CN=localhost -keyout "$folder/server.key" \
  -out "$folder/server.crt" >/dev/null 2>&1
chmod 600 "$folder/server.key"
[ "$(id -u)" -eq 0 ] && chown postgres: "$folder/server.key" "$folder/server.crt"
{ echo "hostnossl all tlsonly 127.0.0.1/32 reject"; cat "$folder/data/pg_hba.conf"; } >"$folder/hba"
cat "$folder/hba" >"$folder/data/pg_hba.conf"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
started=yes
"${as_server[@]}" "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
  -o "-c listen_addresses=127.0.0.1 -p $port -k $folder -c fsync=off -c max_connections=200 -c ssl=on -c ssl_cert_file=$folder/server.crt -c ssl_key_file=$folder/server.key" \
  start >/dev/null || { cat "$folder/server.log" >&2; exit 1; }

"$bindir/psql" -q -h 127.0.0.1 -p "$port" -U postgres -d postgres \
  -c "CREATE ROLE tlsonly LOGIN SUPERUSER" >/dev/null
export NXA_POSTGRES_URL="postgresql://postgres@127.0.0.1:$port/postgres"
export NXA_POSTGRES_SOCKET_DIR="$folder"
"$@"
