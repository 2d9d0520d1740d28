# Sourced by ./test: a throwaway PostgreSQL cluster for the server tests. It lives in
# a new folder under /tmp (short enough for a Unix socket's path) and listens on a
# socket there only, never on TCP. It runs as the postgres user when the suite runs
# as root, since the server refuses to run as root. jz_testserver_start exports
# JZ_TEST_PG, the folder; its "ctl" runs pg_ctl on the cluster as its owner
# ("ctl stop -m immediate", "ctl start"). The cluster is stopped and removed when
# the shell exits, whether the tests passed or not.

jz_testserver_start() {
    local bin
    bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
    [ -x "$bin/initdb" ] || { echo "testserver: no PostgreSQL server (initdb) installed" >&2; return 1; }
    JZ_TEST_PG="$(mktemp -d /tmp/jz-pg.XXXXXX)"
    trap jz_testserver_stop EXIT
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres: "$JZ_TEST_PG"
        as=(runuser -u postgres --)
    fi
    printf '#!/bin/sh\ncd / && exec %s "%s/pg_ctl" -D "%s/data" -l "%s/log" -w -s "$@"\n' \
        "${as[*]}" "$bin" "$JZ_TEST_PG" "$JZ_TEST_PG" > "$JZ_TEST_PG/ctl"
    chmod 755 "$JZ_TEST_PG/ctl"
    "${as[@]}" "$bin/initdb" -D "$JZ_TEST_PG/data" -U postgres -E UTF8 --no-locale -A trust >/dev/null
    # The superuser postgres comes in without a password (tests create databases and
    # roles with it); every other role must give its password.
    printf 'local all postgres trust\nlocal all all scram-sha-256\n' > "$JZ_TEST_PG/data/pg_hba.conf"
    # No fsync: the tests stop the server, never the machine.
    printf "listen_addresses = ''\nunix_socket_directories = '%s'\nport = 5432\nfsync = off\n" \
        "$JZ_TEST_PG" >> "$JZ_TEST_PG/data/postgresql.conf"
    "$JZ_TEST_PG/ctl" start
    export JZ_TEST_PG
}

jz_testserver_stop() {
    [ -n "${JZ_TEST_PG:-}" ] && [ -d "$JZ_TEST_PG" ] || return 0
    "$JZ_TEST_PG/ctl" stop -m immediate >/dev/null 2>&1 || true
    rm -rf "$JZ_TEST_PG"
}
