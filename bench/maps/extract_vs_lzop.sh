#!/bin/sh
# Extraction of a 20 MB LZO-chunked archive entry by rfa-pack (the program's own extractor,
# ExtractArchiveEntry) beside `lzop -d` of the same bytes, as an indication of what the
# chunked reader costs. Both write their output to a file in the same folder; the extractor
# also flushes its output to disk before the rename, which lzop does not.
#
#   bench/maps/extract_vs_lzop.sh BUILD_FOLDER [RUNS] [WORK_FOLDER]
#
# BUILD_FOLDER holds tools/rfa-pack/rfa-pack (use a Release build). The data, the archive
# and the .lzo file are made in WORK_FOLDER (a new temporary folder when not given, removed
# at the end), so other timing tools can be pointed at the same files.
set -eu

build=${1:?usage: extract_vs_lzop.sh BUILD_FOLDER [RUNS] [WORK_FOLDER]}
runs=${2:-5}
pack="$build/tools/rfa-pack/rfa-pack"
[ -x "$pack" ] || { echo "no rfa-pack in $build" >&2; exit 2; }
command -v lzop >/dev/null || { echo "lzop is not installed (apt-get install lzop)" >&2; exit 2; }

if [ $# -ge 3 ]; then
  work=$3
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

# The same words, generator and size as WordText in maps_bench.cpp: text that compresses
# about as well as the game's configuration and description files.
size=$((20 * 1024 * 1024))
awk -v size="$size" 'BEGIN {
  split("gameLogic|.setTickets| 300|\n|controlPoint|.create| CP_|north|south|bridge|" \
        "<kit |name=\"|rifleman|\"/>| tier=|2|3|\t", w, "|");
  seed = 2024; n = 0;
  while (n < size) {
    # seed = seed * 1103515245 + 12345 modulo 2^32, in pieces exact in double precision
    lo = seed % 65536; hi = (seed - lo) / 65536;
    seed = (lo * 1103515245 + ((hi * 1103515245) % 65536) * 65536 + 12345) % 4294967296;
    piece = w[int(seed / 65536) % 18 + 1];
    if (seed % 16 == 0) piece = piece sprintf("%d", seed % 100000);
    printf "%s", piece; n += length(piece);
  }
}' | head -c "$size" >"$work/Big.bin"

"$pack" create --header "$work/game.rfa" "AshFront/game/Big.bin=$work/Big.bin" >/dev/null
lzop -q -f -o "$work/Big.bin.lzo" "$work/Big.bin"
echo "data $(wc -c <"$work/Big.bin") bytes; archive $(wc -c <"$work/game.rfa") bytes;" \
  "lzop file $(wc -c <"$work/Big.bin.lzo") bytes"

# Both outputs must equal the data before anything is timed.
"$pack" extract "$work/game.rfa" ashfront/game/big.bin "$work/out-rfa"
lzop -q -d -f -o "$work/out-lzop" "$work/Big.bin.lzo"
cmp "$work/Big.bin" "$work/out-rfa"
cmp "$work/Big.bin" "$work/out-lzop"

now() { date +%s.%N; }
time_runs() {
  label=$1
  shift
  i=0
  times=""
  while [ "$i" -lt "$runs" ]; do
    start=$(now)
    "$@"
    end=$(now)
    times="$times $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')"
    i=$((i + 1))
  done
  echo "$label:$times" | awk -v bytes="$size" '{
    split($0, parts, ":"); m = split(parts[2], t, " ");
    for (i = 1; i <= m; i++)
      for (j = i + 1; j <= m; j++)
        if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
    med = t[int((m + 1) / 2)];
    printf "%-12s median %.3f s (min %.3f, max %.3f), %.0f MB/s\n",
           parts[1], med, t[1], t[m], bytes / med / 1e6
  }'
}

time_runs "rfa-pack" "$pack" extract "$work/game.rfa" AshFront/game/Big.bin "$work/out-rfa"
time_runs "lzop -d" lzop -q -d -f -o "$work/out-lzop" "$work/Big.bin.lzo"
