#!/bin/sh
# Builds the Debian package from this build, checks what it holds, unpacks it into a scratch
# root and runs the programs from there: the CLI reads its definition files against the
# simulator, and the desktop entry's command reaches the main window without a message.
# Usage: package_test.sh BUILD_DIR
set -eu
BUILD_DIR=$(cd "$1" && pwd)
WORK=$(mktemp -d)
SIM_PID= XVFB_PID= GUI_PID=
cleanup() {
    for pid in $GUI_PID $SIM_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls COMMAND for up to SECONDS; true as soon as it succeeds.
within() {
    seconds=$1; shift
    i=0
    while [ "$i" -lt $((seconds * 10)) ]; do
        "$@" && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

cd "$BUILD_DIR"
cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1 || { cat "$WORK/cpack.log"; fail "cpack"; }
DEB=$(ls "$WORK"/out/*.deb)

APP=usr/lib/halvana-config-tool
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./||' >"$WORK/files"
for f in $APP/HalvanaConfigTool $APP/halvana-cli $APP/halvana-sim usr/bin/HalvanaConfigTool usr/bin/halvana-cli \
         usr/bin/halvana-sim $APP/SystemSettings.txt $APP/BCM_Channels.txt $APP/MeterInfo.txt \
         $APP/HalvanaConfigTool_Users_Manual.pdf usr/share/applications/halvana-config-tool.desktop \
         usr/share/icons/hicolor/scalable/apps/halvana-config-tool.svg; do
    grep -qx "$f" "$WORK/files" || fail "the package lacks $f"
done
for f in "$BUILD_DIR"/bin/*.txt; do
    grep -qx "$APP/$(basename "$f")" "$WORK/files" || fail "the package lacks the definition file $(basename "$f")"
done
# No maintainer scripts: removing the package touches nothing but its own files.
members=$(dpkg-deb -I "$DEB" | awk '$4 == "lines" {print $5}' | sort | tr '\n' ' ')
[ "$members" = "control md5sums " ] || fail "control members: $members"

ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export PATH="$ROOT/usr/bin:$PATH"

# The CLI finds SystemSettings.txt beside itself, without --data-dir.
halvana-sim --tcp 0 >"$WORK/sim.out" 2>&1 &
SIM_PID=$!
within 10 grep -q "listening on" "$WORK/sim.out" || fail "the simulator did not start: $(cat "$WORK/sim.out")"
ADDRESS=$(sed -n 's/^listening on //p' "$WORK/sim.out")
halvana-cli --tcp "$ADDRESS" table 4 >"$WORK/table.out" 2>"$WORK/table.err" || fail "table 4: $(cat "$WORK/table.err")"
grep -q "Firmware Version" "$WORK/table.out" || fail "table 4 has no rows from SystemSettings.txt"

# The desktop entry's command, under a real X server.
EXEC=$(sed -n 's/^Exec=//p' "$ROOT/usr/share/applications/halvana-config-tool.desktop")
Xvfb -displayfd 3 -screen 0 1280x800x24 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
within 10 test -s "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$WORK/display")
# On a loaded machine the server may take a moment to accept connections.
within 20 xwininfo -root >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
unset QT_QPA_PLATFORM
$EXEC >"$WORK/gui.out" 2>&1 &
GUI_PID=$!
TITLE="Maldorn Halvana Configuration Tool"
windows() { xwininfo -root -tree 2>/dev/null | grep -c "\"$TITLE\"" || true; }
at_least() { [ "$(windows)" -ge "$1" ]; }
within 30 at_least 1 || fail "no main window: $(cat "$WORK/gui.out")"
# A definition file it could not read would be named in a message box of the same title,
# shown while the program starts.
if within 3 at_least 2; then fail "the program showed a message at start"; fi
kill -0 "$GUI_PID" || fail "the program ended"
echo "package ok: $(basename "$DEB")"
