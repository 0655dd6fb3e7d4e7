#!/usr/bin/env bash
# Creates the demo installation once, with the private server running:
#
#   create-demo.sh BUILD_DIR
#
# BUILD_DIR/demo/ is the suite's root: the suite database VORNALIX.FDB and
# the scratch folder LOCAL; BUILD_DIR/demo/VELDRUN/ is the program folder,
# the working directory the program is started in (it finds the database as
# ../VORNALIX.FDB). An existing demo is left as it is; delete
# BUILD_DIR/demo/VORNALIX.FDB to make it again.
set -euo pipefail

readonly HERE=$(cd "$(dirname "$0")" && pwd)
readonly ROOT_DIR=$(cd "$HERE/.." && pwd)

die() { echo "create-demo: $*" >&2; exit 1; }

[ $# -eq 1 ] || die "usage: $0 BUILD_DIR"
build=$(cd "$1" && pwd)
readonly DEMO="$build/demo"
readonly DATABASE="$DEMO/VORNALIX.FDB"
readonly SEED="$build/demo-seed/veldrun_demo_seed"

mkdir -p "$DEMO/LOCAL" "$DEMO/VELDRUN"
if [ -f "$DATABASE" ]; then
    echo "create-demo: the demo installation exists: $DEMO"
    exit 0
fi
[ -x "$SEED" ] || die "$SEED is missing (build the target veldrun_demo_seed)"
(exec 3<>/dev/tcp/127.0.0.1/3060) 2>/dev/null || die "no Firebird server on 127.0.0.1:3060 (scripts/fbserver.sh start)"

# Made under another name and renamed when complete, so that an interrupted
# run is made again next time instead of leaving a half-filled suite.
partial="$DATABASE.part"
rm -f "$partial"
trap 'rm -f "$partial"' EXIT
"$ROOT_DIR/scripts/create-suite-db.sh" "$partial"
"$SEED" "$partial" "$ROOT_DIR/data" "$DEMO/VELDRUN/sample_suppliers.csv"
mv "$partial" "$DATABASE"
trap - EXIT
echo "create-demo: made $DATABASE; program folder $DEMO/VELDRUN (sample_suppliers.csv there for Shift+F9)"
