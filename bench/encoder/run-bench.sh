#!/usr/bin/env bash
# Measures Brantixenc side by side with ffmpeg in one hyperfine run each:
#  1. a conversion through Brantixenc (with a program side answering its
#     reports) against the same conversion with ffmpeg called directly;
#  2. a probe run of Brantixenc per file, with ffprobe beside it for scale.
# Machines are shared and their load drifts, so the two commands alternate in
# $ROUNDS short hyperfine runs and the medians are taken over all their times.
# Writes a markdown table to stdout and to $OUT (default <build folder>/bench-encoder.md).
#
#   bench/encoder/run-bench.sh [build folder]     (default: build-encoder)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD="${1:-$ROOT/build-encoder}"
BRANTIXENC="$BUILD/bin/Brantixenc"
OUT="${OUT:-$BUILD/bench-encoder.md}"
ROUNDS="${ROUNDS:-6}"
RUNS="${RUNS:-3}"
[ -x "$BRANTIXENC" ] || { echo "build Brantixenc first: $BRANTIXENC" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
c++ -O2 -std=c++20 -I"$ROOT" "$ROOT/bench/encoder/report_peer.cpp" "$ROOT/encoding/ReportProtocol.cpp" \
    -o "$WORK/report_peer"

# A 40 s 640 x 480 clip at 25 fps with stereo sound, and a 2 s one to probe.
ffmpeg -nostdin -v error -f lavfi -i testsrc=size=640x480:rate=25:duration=40 \
    -f lavfi -i sine=frequency=440:sample_rate=44100:duration=40 \
    -c:v mpeg4 -q:v 4 -c:a libmp3lame -b:a 128k -ac 2 -shortest "$WORK/source.avi"
ffmpeg -nostdin -v error -f lavfi -i testsrc=size=160x120:rate=30000/1001:duration=2 \
    -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 \
    -c:v mpeg4 -c:a libmp3lame -ac 2 -shortest "$WORK/short.avi"

# The program's default settings: AVI, Divx with MP3 at 1000/128 kbit/s, 320 x 240.
OPTIONS='-oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3 -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50 -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2 -af volume=+0db:0:channels=2 -ofps 25.000000 -vf scale=320:240,harddup'
ARGS="\"$WORK/source.avi\" -o \"$WORK/through.avi\" $OPTIONS -endpos 9:0:0 0"
PROBE="\"$WORK/short.avi\" -o \"$WORK/unused.avi\" $OPTIONS -endpos 9:0:0 1"

# The direct command is the one Brantixenc runs, less its progress pipe.
mapfile -t FFMPEG < <("$BRANTIXENC" --dry-run "$ARGS 0")
FFMPEG[-1]="file:$WORK/direct.avi"
DIRECT="$(printf '%q ' "${FFMPEG[@]}")"
THROUGH="$(printf '%q ' "$WORK/report_peer" "$BRANTIXENC" "$ARGS")"
PROBE_CMD="$(printf '%q ' "$WORK/report_peer" "$BRANTIXENC" "$PROBE")"
FFPROBE_CMD="$(printf '%q ' ffprobe -v error -show_streams -show_format "$WORK/short.avi")"

for round in $(seq "$ROUNDS"); do
    hyperfine --warmup 1 --runs "$RUNS" --export-json "$WORK/convert-$round.json" \
        -n "ffmpeg directly" "$DIRECT" -n "through Brantixenc" "$THROUGH" >&2
    hyperfine --warmup 2 --runs $((RUNS * 4)) --export-json "$WORK/probe-$round.json" \
        -n "Brantixenc probe" "$PROBE_CMD" -n "ffprobe" "$FFPROBE_CMD" >&2
done

python3 - "$WORK" > "$OUT" <<'PY'
import glob, json, statistics, sys
def collect(kind):
    wall, cpu = {}, {}
    for path in sorted(glob.glob(f"{sys.argv[1]}/{kind}-*.json")):
        for r in json.load(open(path))["results"]:
            wall.setdefault(r["command"], []).extend(r["times"])
            cpu.setdefault(r["command"], []).append(r["user"] + r["system"])
    return wall, cpu
ms = lambda s: f"{s * 1000:.1f} ms"
print("| measurement | median (wall) | mean ± σ (wall) | CPU user+sys, mean | runs |")
print("|---|---|---|---|---|")
medians = {}
for kind in ("convert", "probe"):
    wall, cpu = collect(kind)
    for name, t in wall.items():
        medians[name] = statistics.median(t)
        print(f"| {name} | {ms(medians[name])} | {ms(statistics.mean(t))} ± {ms(statistics.stdev(t))}"
              f" | {ms(statistics.mean(cpu[name]))} | {len(t)} |")
d, t = medians["ffmpeg directly"], medians["through Brantixenc"]
print()
print(f"Conversion through Brantixenc: {100 * (t / d - 1):+.1f} % against ffmpeg directly (median; target at most +3 %).")
print(f"Probe per file: {ms(medians['Brantixenc probe'])} median, whole process (target under 100 ms).")
PY
cat "$OUT"
