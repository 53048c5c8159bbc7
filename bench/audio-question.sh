#!/usr/bin/env bash
# Does the sound mode fire on a clap and stay quiet in a quiet room? Makes
# realistic signals with sox and espeak-ng, measures each 1024-frame cycle's
# mean signed sample (the level the sound mode compares) and its mean
# magnitude, and runs `kestrel-cli shoot --mode 5 --mic FILE` on virtual time
# at each sensitivity (first choice 64, middle 32, last 24).
#
#   bench/audio-question.sh            prints a Markdown table
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh bench >&2
cmake --preset bench >/dev/null
cmake --build --preset bench --target kestrel-cli >&2
cli="$PWD/build/bench/src/cli/kestrel-cli"
work="$PWD/build/bench/audio"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

rate=44100
fmt=(-r "$rate" -b 16 -c 1)
# A quiet room: pink noise at about -47 dBFS RMS, as it is in the air
# (room-full) and as a microphone input with the usual low cut at 80 Hz
# passes it on (room).
sox -n "${fmt[@]}" room-full.wav synth 12 pinknoise vol 0.01
sox room-full.wav room.wav highpass 80
# The same room through a converter with a DC offset of +30 and of +150 units.
sox room.wav room-dc30.wav dcshift 0.000916
sox room.wav room-dc150.wav dcshift 0.00458
# A clap as a recording shows it: a burst of noise dying in about 40 ms,
# symmetric about zero, 1.5 s into the room.
sox -n "${fmt[@]}" burst.wav synth 0.06 whitenoise vol 0.7 fade q 0 0.06 0.055
sox -n "${fmt[@]}" lead.wav trim 0 1.5
sox lead.wav burst.wav burst-padded.wav
sox -m -v 1 room.wav -v 1 burst-padded.wav clap-noise.wav
# A clap led by its pressure pulse: a 1.5 ms positive half-wave, then the burst.
sox -n "${fmt[@]}" pulse.wav synth 0.003 sine 333 vol 0.7 trim 0 0.0015
sox lead.wav pulse.wav burst.wav clap-pulse-padded.wav
sox -m -v 1 room.wav -v 1 clap-pulse-padded.wav clap-pulse.wav
# Speech at a normal level over the room.
espeak-ng -w speech-raw.wav "Hello, this is a test of the sound trigger. One, two, three, smile." 2>/dev/null
sox speech-raw.wav "${fmt[@]}" speech-44k.wav norm -6
sox lead.wav speech-44k.wav speech-padded.wav
sox -m -v 1 room.wav -v 1 speech-padded.wav speech.wav trim 0 12
# A loud sustained tone (a whistle), symmetric.
sox -n "${fmt[@]}" whistle-only.wav synth 10 sine 1200 vol 0.5
sox lead.wav whistle-only.wav whistle-padded.wav
sox -m -v 1 room.wav -v 1 whistle-padded.wav whistle.wav trim 0 12

measure() {
  python3 - "$1" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
data = w.readframes(w.getnframes())
s = struct.unpack("<%dh" % (len(data) // 2), data)
means, mags = [], []
for i in range(0, len(s) - 1023, 1024):
    c = s[i:i + 1024]
    means.append(sum(c) / 1024)
    mags.append(sum(abs(v) for v in c) / 1024)
print("%.1f %.1f %.1f" % (max(means), min(means), max(mags)))
PY
}

config="$work/config"
echo "| signal (one run each) | max cycle mean | min cycle mean | max mean magnitude | fires at 64 | fires at 32 | fires at 24 |"
echo "|---|---|---|---|---|---|---|"
for signal in room-full room room-dc30 room-dc150 clap-noise clap-pulse speech whistle; do
  read -r hi lo mag < <(measure "$signal.wav")
  row="| $signal | $hi | $lo | $mag |"
  for level in 2 0 3; do
    "$cli" --config-dir "$config" settings set "sound sensitivity" "$level" >/dev/null
    if out=$("$cli" --config-dir "$config" shoot --virtual-time --mode 5 --mic "$signal.wav" \
             --store "$work/store" --max-time 11 --trace 2>/dev/null); then
      when=$(grep -m1 'picture requested' <<<"$out" | awk '{print $1}')
      row="$row yes, ${when} s |"
    else
      row="$row no |"
    fi
  done
  echo "$row"
done

# How often does one clap fire? 400 claps, each a fresh burst of noise (as
# clap-noise above, with and without the leading pressure pulse) at a random
# place in the room recording and so at a random phase to the 1024-frame
# cycles. The mode reads the level of the latest finished cycle at each of
# its polls, 20 per second, also at a random phase: a clap fires when a poll
# reads a cycle whose mean signed sample reaches the threshold. The column
# "any cycle" counts the claps for which some cycle reached it, polled or not.
python3 - room.wav <<'PY'
import math, random, struct, sys, wave
w = wave.open(sys.argv[1])
room = struct.unpack("<%dh" % w.getnframes(), w.readframes(w.getnframes()))
rate, n, cycle, cycles = 44100, 400, 1024, 8
rng = random.Random(1)
def clap(pulse):
    length = int(0.06 * rate)
    out = [0.0] * length
    for i in range(length):
        t = i / rate
        env = math.cos(math.pi / 2 * max(0.0, (t - 0.005) / 0.055)) if t > 0.005 else 1.0
        out[i] = rng.uniform(-1, 1) * 0.7 * 32767 * env
    if pulse:
        for i in range(int(0.0015 * rate)):
            out[i] = 0.7 * 32767 * math.sin(math.pi * i / (0.0015 * rate))
    return out
print()
print("| clap model (400 claps) | fires at 64 | fires at 32 | fires at 24 | any cycle reaches 64 / 32 / 24 |")
print("|---|---|---|---|---|")
for pulse in (False, True):
    fired = {64: 0, 32: 0, 24: 0}
    reached = {64: 0, 32: 0, 24: 0}
    for _ in range(n):
        start = rng.randrange(0, len(room) - cycles * cycle)
        offset = rng.randrange(0, cycle) + cycle
        samples = list(room[start:start + cycles * cycle])
        for i, v in enumerate(clap(pulse)):
            samples[offset + i] += v
        means = [sum(samples[k * cycle:(k + 1) * cycle]) / cycle for k in range(cycles)]
        phase = rng.uniform(0, 0.05)
        seen = set()
        t = phase
        while t < cycles * cycle / rate:
            latest = int(t * rate / cycle) - 1
            if latest >= 0:
                seen.add(latest)
            t += 0.05
        for th in fired:
            fired[th] += any(means[k] >= th for k in seen)
            reached[th] += max(means) >= th
    name = "burst led by a pressure pulse" if pulse else "symmetric burst"
    print("| %s | %d %% | %d %% | %d %% | %d / %d / %d %% |" % (name, 100 * fired[64] // n, 100 * fired[32] // n,
          100 * fired[24] // n, 100 * reached[64] // n, 100 * reached[32] // n, 100 * reached[24] // n))
PY
