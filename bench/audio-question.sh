#!/usr/bin/env bash
# Does the sound mode fire on every clap, and never on a quiet room, whatever
# the microphone's DC offset? Makes realistic signals with sox and espeak-ng,
# measures each 1024-frame cycle's RMS about its own mean (the level the
# sound mode compares, in dBFS: 0 dBFS is a full-scale square wave) and runs
# `kestrel-cli shoot --mode 5 --mic FILE` on virtual time at each sensitivity
# (first choice -30 dBFS, middle -38, last -46).
#
#   bench/audio-question.sh            prints Markdown tables
#   KESTREL_CLI=path/to/kestrel-cli bench/audio-question.sh   uses that build
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -n "${KESTREL_CLI:-}" ]]; then
  cli="$(realpath "$KESTREL_CLI")"
  work="$(dirname "$cli")/audio-question"
else
  scripts/deps.sh bench >&2
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target kestrel-cli >&2
  cli="$PWD/build/bench/src/cli/kestrel-cli"
  work="$PWD/build/bench/audio"
fi
rm -rf "$work" && mkdir -p "$work"
cd "$work"

rate=44100
fmt=(-r "$rate" -b 16 -c 1)
# The raw material: pink room noise as a microphone with the usual low cut
# at 80 Hz passes it on; a hand clap (a 1.5 ms pressure pulse, then a burst
# of noise dying away in about 40 ms); speech.
sox -n "${fmt[@]}" room-raw.wav synth 64 pinknoise vol 0.05 highpass 80
sox -n "${fmt[@]}" pulse.wav synth 0.0015 sine 333 vol 0.9
sox -n "${fmt[@]}" burst.wav synth 0.06 whitenoise vol 0.7 fade q 0 0.06 0.055
sox pulse.wav burst.wav clap-raw.wav
espeak-ng -w speech-raw.wav "Say cheese! One, two, three, smile." 2>/dev/null
sox speech-raw.wav "${fmt[@]}" speech-44k.wav

# Levels are set where the issue puts them: the room at -55 dBFS RMS (a
# quiet room's ceiling), the clap's loudest cycle at -20 dBFS (arm's length),
# a raised voice near the device 14 dB below the clap (about 80 against 94 dB
# SPL), a normal voice 6 dB below that.
python3 - <<'PY'
import math, struct, wave
RATE, CYCLE, FS = 44100, 1024, 32768.0
def read(name):
    w = wave.open(name)
    return [float(v) for v in struct.unpack("<%dh" % w.getnframes(), w.readframes(w.getnframes()))]
def write(name, s):
    w = wave.open(name, "wb"); w.setnchannels(1); w.setsampwidth(2); w.setframerate(RATE)
    w.writeframes(struct.pack("<%dh" % len(s), *[max(-32768, min(32767, int(round(v)))) for v in s]))
def rms(c):
    m = sum(c) / len(c); return math.sqrt(max(0.0, sum((v - m) ** 2 for v in c) / len(c)))
def loudest(s):  # the loudest cycle at any alignment (steps of 64 frames)
    return max(rms(s[i:i + CYCLE]) for i in range(0, max(1, len(s) - CYCLE), 64))
def scaled(s, dbfs, measure):
    g = FS * 10 ** (dbfs / 20) / measure(s); return [v * g for v in s]
room = scaled(read("room-raw.wav"), -55, rms)
clap = scaled(read("clap-raw.wav"), -20, loudest)
speech = read("speech-44k.wav")
def mix(parts, length=len(room), base=room, offset=0.0):
    out = [v + offset for v in base[:length]]
    for at, s in parts:
        i0 = int(at * RATE)
        for i, v in enumerate(s):
            if i0 + i < len(out): out[i0 + i] += v
    return out
claps = [(1.5 + 4 * k, None) for k in range(8)]
write("room.wav", room)
for off in (40, 150, 1000, -1000):
    write("room-dc%+d.wav" % off, mix([], offset=off))
write("claps.wav", mix([(t, clap) for t, _ in claps], length=34 * RATE))
write("claps-inverted.wav", mix([(t, [-v for v in clap]) for t, _ in claps], length=34 * RATE))
write("claps-inverted-dc-1000.wav",
      mix([(t, [-v for v in clap]) for t, _ in claps], length=34 * RATE, offset=-1000))
for name, db in (("voice-raised", -34), ("voice-normal", -40)):
    v = scaled(speech, db, loudest)
    write(name + ".wav", mix([(1.5 + 4 * k, v) for k in range(8)], length=34 * RATE))
PY

measure() {
  python3 - "$1" <<'PY'
import math, struct, sys, wave
w = wave.open(sys.argv[1])
s = struct.unpack("<%dh" % w.getnframes(), w.readframes(w.getnframes()))
def rms(c):
    m = sum(c) / len(c); return math.sqrt(max(0.0, sum((v - m) ** 2 for v in c) / len(c)))
levels = [rms(s[i:i + 1024]) for i in range(0, len(s) - 1023, 1024)]
levels.sort()
db = lambda v: 20 * math.log10(max(v, 1e-9) / 32768)
mean = sum(s) / len(s)
print("%.1f %.1f %.0f" % (db(levels[len(levels) // 2]), db(levels[-1]), mean))
PY
}

config="$work/config"
shots() {  # of $2 events 4 s apart from 1.5 s, those a picture was requested for within $4 s
  local file=$1 events=$2 seconds=$3 window=${4:-0.2} out
  out=$("$cli" --config-dir "$config" shoot --virtual-time --mode 5 --mic "$file" \
        --store "$work/store" --count "$((events > 0 ? events : 1))" --max-time "$seconds" \
        --trace 2>/dev/null || true)
  { grep 'picture requested' <<<"$out" || true; } | awk -v n="$events" -v w="$window" '
    { t = $1; if (n == 0) { hit++; next }
      k = int((t - 1.5) / 4); d = t - (1.5 + 4 * k); if (k >= 0 && k < n && d >= 0 && d <= w) hit++ }
    END { print hit + 0 }'
}

echo "| signal | median cycle | loudest cycle | mean (DC) | first choice (-30 dBFS) | middle (-38 dBFS) | last (-46 dBFS) |"
echo "|---|---|---|---|---|---|---|"
for signal in room room-dc+40 room-dc+150 room-dc+1000 room-dc-1000 claps claps-inverted \
              claps-inverted-dc-1000 voice-raised voice-normal; do
  read -r median loud mean < <(measure "$signal.wav")
  row="| $signal | $median dBFS | $loud dBFS | $mean |"
  for level in 2 0 3; do
    "$cli" --config-dir "$config" settings set "sound sensitivity" "$level" >/dev/null
    case $signal in
      room*) n=$(shots "$signal.wav" 0 60); row="$row $([[ $n == 0 ]] && echo "quiet for 60 s" || echo "FIRED") |" ;;
      voice*) n=$(shots "$signal.wav" 8 34 3); row="$row $n of 8 |" ;;
      *) n=$(shots "$signal.wav" 8 34); row="$row $n of 8 |" ;;
    esac
  done
  echo "$row"
done
