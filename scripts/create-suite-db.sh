#!/usr/bin/env bash
# Creates an empty suite database on the private server (fbserver.sh).
#
#   create-suite-db.sh FILE [--old]
#
# FILE must not exist yet. With --old the supplier table lacks the columns
# that newer suite versions added (E_MAILE, T_PASS, IB_KBN, INBOICE).
set -euo pipefail

readonly HERE=$(cd "$(dirname "$0")" && pwd)
readonly SERVER=127.0.0.1/3060
readonly PASSWORD=zorquemit

die() { echo "create-suite-db: $*" >&2; exit 1; }

[ $# -ge 1 ] || die "usage: $0 FILE [--old]"
mkdir -p "$(dirname "$1")"
file=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
old=false
[ "${2:-}" = "--old" ] && old=true
[ -e "$file" ] && die "$file exists already"

# isql-fb mangles non-ASCII bytes it reads from a pipe: scripts go in with -i.
script=$(mktemp)
trap 'rm -f "$script"' EXIT
{
    echo "SET SQL DIALECT 3;"
    echo "CREATE DATABASE '$SERVER:$file' USER 'SYSDBA' PASSWORD '$PASSWORD'"
    echo "    PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;"
    cat "$HERE/suite-db/suite-schema.sql"
    $old || cat "$HERE/suite-db/suite-newer-columns.sql"
} >"$script"

unset ISC_USER ISC_PASSWORD FIREBIRD
isql-fb -q -bail -ch NONE -i "$script" || die "could not create $file"
