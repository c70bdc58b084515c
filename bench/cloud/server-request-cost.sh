#!/usr/bin/env bash
# What the server pays for a command-line `add` and `read` on a PostgreSQL container, two builds
# side by side on one durable throw-away cluster with
# pg_stat_statements: statements (calls) and server CPU (the postmaster's reaped children) per
# request, in alternating rounds.
#
#     BASE=build-of-before MINE=build-of-after bench/cloud/server-request-cost.sh
# (each a build folder; MINE defaults to this checkout's build). ROUNDS and PER set the rounds and
# the requests of each kind a round.
set -euo pipefail
BASE=${BASE:?name the build to compare with}
root_dir="$(cd "$(dirname "$0")/../.." && pwd)"
MINE=${MINE:-$root_dir/build}
ROUNDS=${ROUNDS:-4}
PER=${PER:-15}
info=$(mktemp -d)
TALLYBIRD_PG_DURABLE=1 "$root_dir/scripts/pg-cluster" start $info >/dev/null
dir=$(cat $info/cluster)
port=$(cat $info/port)
echo "shared_preload_libraries = 'pg_stat_statements'" >>$dir/data/postgresql.conf
echo "pg_stat_statements.track = all" >>$dir/data/postgresql.conf
# The server refuses to run as root: as root it runs as `postgres`, as scripts/pg-cluster runs it.
if [ "$(id -u)" -eq 0 ]; then as_server=(runuser -u postgres --); else as_server=(); fi
"${as_server[@]}" /usr/lib/postgresql/15/bin/pg_ctl -D $dir/data -w restart >/dev/null
psql_super() { /usr/lib/postgresql/15/bin/psql -X -q -t -A -h $dir -p $port -U tallybird_super -d "$1" -c "$2"; }
psql_super postgres "CREATE EXTENSION pg_stat_statements" >/dev/null
work=$(mktemp -d)
chmod 755 $work
for b in base mine; do
    psql_super postgres "CREATE DATABASE $b OWNER tallybird" >/dev/null
    admin="postgresql://tallybird@/$b?host=$dir&port=$port"
    root=$([ $b = base ] && echo $BASE || echo $MINE)
    $root/tools/tallybird-cloud/tallybird-cloud --cloud "$admin" init >/dev/null
    $root/tools/tallybird-cloud/tallybird-cloud --cloud "$admin" create-user ann >/dev/null 2>&1 || true
done
uri() { echo "postgresql://ann@/$1?host=$dir&port=$port"; }
req() { # build words...
    local b=$1; shift
    local root=$([ $b = base ] && echo $BASE || echo $MINE)
    XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data-$b XDG_CONFIG_HOME=$work/config-$b \
        QT_QPA_PLATFORM=offscreen $root/src/app/tallybird --profile $work/profile-$b \
        --cloud "$(uri $b)" "$@" >/dev/null 2>$work/err || { echo "request failed: $b $*"; cat $work/err; exit 1; }
}
postmaster=$(head -1 $dir/data/postmaster.pid)
cpu() { awk '{print $16+$17}' /proc/$postmaster/stat; } # cutime+cstime, ticks
for b in base mine; do
    req $b start Groceries
    for i in $(seq 1 30); do req $b add --list Groceries "warm $i"; done
done
declare -A calls cputicks
for kind in add read; do for b in base mine; do calls[$kind$b]=0; cputicks[$kind$b]=0; done; done
n=0
for round in $(seq 1 $ROUNDS); do
    for kind in add read; do
        for b in base mine; do
            psql_super postgres "SELECT pg_stat_statements_reset()" >/dev/null
            c0=$(cpu)
            for i in $(seq 1 $PER); do
                n=$((n + 1))
                if [ $kind = add ]; then req $b add --list Groceries "item $n"; else req $b read --list Groceries --no; fi
            done
            sleep 0.3
            c1=$(cpu)
            k=$(psql_super postgres "SELECT coalesce(sum(calls),0) FROM pg_stat_statements WHERE dbid = (SELECT oid FROM pg_database WHERE datname = '$b') AND query NOT LIKE '%pg_stat_statements%'")
            calls[$kind$b]=$((${calls[$kind$b]} + k))
            cputicks[$kind$b]=$((${cputicks[$kind$b]} + c1 - c0))
        done
    done
done
total=$((ROUNDS * PER))
for kind in add read; do
    for b in base mine; do
        echo "$kind $b: statements/request $(echo "scale=2; ${calls[$kind$b]} / $total" | bc)  server cpu ms/request $(echo "scale=2; ${cputicks[$kind$b]} * 10 / $total" | bc)"
    done
done
for b in base mine; do
    echo "--- $b top statements (add+read, last round)"
    psql_super postgres "SELECT calls, left(regexp_replace(query, '\s+', ' ', 'g'), 90) FROM pg_stat_statements WHERE dbid = (SELECT oid FROM pg_database WHERE datname = '$b') ORDER BY calls DESC LIMIT 25"
done
"$root_dir/scripts/pg-cluster" stop $info >/dev/null
rm -rf $work $info
