#!/bin/bash
# pg-env.sh -- CMD...
# Runs CMD with a private PostgreSQL server: a new cluster in a temporary
# folder, run by an unprivileged user (the server refuses root), listening only
# on a Unix socket in that folder, stopped and removed at the end whatever
# happened. CMD finds it in MORVO_TEST_PG (a URI of the database morvo_test,
# where pg_trgm is installed in the public schema).
set -uo pipefail
[ "${1:-}" = "--" ] && shift
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "pg-env: no PostgreSQL server installed" >&2; exit 95; }
dir=$(mktemp -d /tmp/morvo-pg.XXXXXX)
chmod 755 "$dir"
as_owner=()
if [ "$(id -u)" = 0 ]; then
  id morvo-pg >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin morvo-pg
  chown morvo-pg "$dir"
  as_owner=(runuser -u morvo-pg --)
fi
stop() {
  "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
  rm -rf "$dir"
}
trap stop EXIT
"${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U morvo --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 93; }
"${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
  -o "-c listen_addresses='' -k $dir -c max_connections=200" start >/dev/null \
  || { cat "$dir/server.log" >&2; exit 94; }
"$bin/createdb" -h "$dir" -U morvo morvo_test || exit 96
"$bin/psql" -q -h "$dir" -U morvo -d morvo_test -c "CREATE EXTENSION pg_trgm SCHEMA public" || exit 97
export MORVO_TEST_PG="postgresql:///morvo_test?host=$dir&user=morvo"
"$@"
