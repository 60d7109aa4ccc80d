#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, from Debian's postgresql package: initdb into
# DIR as an unprivileged user (nobody, when the tests run as root), listening on a Unix socket
# in DIR only, never on TCP; stopped at the end.
#   cluster.sh start DIR    starts it (a cluster left in DIR is stopped first)
#   cluster.sh stop DIR     stops it
# The tests reach it as "host=DIR user=examtest" (the owner of everything); the roles examlocked
# (password "right") and examreader (no rights of its own) stand for a centre's other accounts.
set -euo pipefail
command=${1:?start or stop}
dir=$(realpath -m "${2:?cluster folder}")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "PostgreSQL's server programs are missing (Debian package postgresql)" >&2; exit 1; }

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; else "$@"; fi
}

stop() {
    [ -f "$dir/data/postmaster.pid" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1
    return 0
}

case $command in
start)
    stop
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U examtest --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    # examlocked must give its password ("right"); everyone else is trusted on the socket.
    as_owner sed -i '1i local all examlocked scram-sha-256' "$dir/data/pg_hba.conf"
    # fsync off: a test cluster need not survive a power cut, and the tests run faster.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -c listen_addresses= -c fsync=off -c max_connections=200" start >/dev/null
    # examreader may log in and is given only the right to read, database by database.
    as_owner "$bin/psql" -X -q -h "$dir" -U examtest -d postgres \
        -c "create role examlocked login password 'right'" -c "create role examreader login" >/dev/null
    echo "host=$dir user=examtest"
    ;;
stop)
    stop
    ;;
*)
    echo "usage: cluster.sh start|stop DIR" >&2
    exit 2
    ;;
esac
