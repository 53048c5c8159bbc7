#!/usr/bin/env bash
# The window on a Wayland compositor, as on a Wayland desktop or a phone's
# shell: Kestrel on weston's headless backend (its own runtime folder and
# socket) through Qt's wayland platform, on a private session bus. Weston
# sees an xdg toplevel "Kestrel" that fits its screen, decorations and all,
# and draws the live view again and again; weston's own capture of the
# screen shows the live view; a photo taken over the bus is saved as a
# JPEG; a second start finds the first; SIGTERM ends the window at once
# with status 0.
#
#   wayland-test.sh KESTREL_PROGRAM KESTREL_CLI_PROGRAM
source "$(dirname "$0")/window-session.sh" "$@"

mkdir -m 700 "$WORK/runtime"
export XDG_RUNTIME_DIR="$WORK/runtime" WAYLAND_DISPLAY=kestrel-test
# The pixman renderer, for the compositor's capture; --debug lets the
# screenshooter in; proto logs every request the clients make.
weston --backend=headless-backend.so --use-pixman --width=360 --height=720 --debug --no-config \
  --idle-time=0 --socket="$WAYLAND_DISPLAY" --log="$WORK/weston.log" --logger-scopes=log,proto \
  >"$WORK/weston-out.log" 2>&1 &
keep $!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not open its socket"

start_kestrel wayland

# Weston's side: the window, and its client's frames.
toplevel=$(grep -m1 -E 'rq xdg_toplevel@[0-9]+\.set_title\("Kestrel"\)' "$WORK/weston.log") ||
  fail "weston saw no Kestrel window"
client=$(sed -E 's/.*client (0x[0-9a-f]+) .*/\1/' <<<"$toplevel")
grep -q "client $client rq xdg_toplevel@[0-9]*\.set_app_id(\"kestrel\")" "$WORK/weston.log" ||
  fail "the window's app id is not kestrel"
# The whole window, the decorations Qt draws on Wayland included, fits the screen.
geometry=$(grep "client $client rq xdg_surface@[0-9]*\.set_window_geometry" "$WORK/weston.log" | tail -n1 |
  sed -E 's/.*\(([-0-9]+), ([-0-9]+), ([0-9]+), ([0-9]+)\).*/\3 \4/')
read -r width height <<<"$geometry"
[ -n "${height:-}" ] && [ "$width" -le 360 ] && [ "$height" -le 720 ] ||
  fail "the window (${width:-?} x ${height:-?}) is larger than weston's 360 x 720 screen"
frames=$(grep -c "client $client rq wl_surface@[0-9]*\.attach(wl_buffer" "$WORK/weston.log" || true)
[ "$frames" -ge 10 ] || fail "the window had drawn $frames frames on weston a second after it started"

# The compositor's own capture: the live view's sky covers much of the screen.
(cd "$WORK" && weston-screenshooter) || fail "weston-screenshooter failed"
capture=$(find "$WORK" -maxdepth 1 -name "wayland-screenshot*.png" | head -n1)
[ -n "$capture" ] || fail "weston wrote no capture"
sky=$(/usr/bin/python3 - "$capture" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
pos, idat = 8, b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, colour = struct.unpack(">IIBB", body[:10])
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
assert depth == 8 and colour in (2, 6), (depth, colour)
step = 3 if colour == 2 else 4
raw, stride = zlib.decompress(idat), width * step
rows, previous, at = [], bytearray(stride), 0
for _ in range(height):
    kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
    at += 1 + stride
    for i in range(stride):
        a = line[i - step] if i >= step else 0
        b = previous[i]
        c = previous[i - step] if i >= step else 0
        if kind == 1: line[i] = (line[i] + a) & 255
        elif kind == 2: line[i] = (line[i] + b) & 255
        elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    previous = line
# The simulated camera's sky: blue well above red and green (weston's own
# background and panel are grey).
blue = sum(1 for line in rows for i in range(0, stride, step)
           if line[i + 2] > line[i] + 60 and line[i + 2] > line[i + 1] + 30)
print(100 * blue // (width * height))
PY
) || fail "the capture could not be read"
[ "$sky" -ge 15 ] || fail "the live view covers $sky % of weston's screen, not the 15 % expected"

take_picture
wait_photos 1
photo=$(find "$WORK/DCIM" -name "*.JPG" -not -path "*/.MISC/*")
[ "$(head -c 3 "$photo" | od -An -tx1 | tr -d ' ')" = "ffd8ff" ] || fail "$photo is no JPEG"

QT_QPA_PLATFORM=wayland kestrel_program --simulate --config-dir "$WORK/config2" --dcim "$WORK/DCIM2" \
  2>"$WORK/second.log" | grep -q "already running" || fail "a second kestrel did not find the first"
kill -0 "$kestrel" 2>/dev/null || fail "the window ended when a second start brought it forward"
quit_kestrel
echo "wayland: window on weston (${width} x ${height}, $frames frames by the first check, live view on $sky % of the capture), 1 photo saved, quit with status 0"
