#!/usr/bin/env bash
# vermaline-convert beside ImageMagick (convert per file, mogrify) and vips on one batch:
# 20 JPEG photos of 2 megapixels (1600 x 1250) to BMP, to JPEG quality 90, to TIFF, and to
# JPEG at 50 %. Each tool runs every task several times; the median wall time is printed with
# our ratio to it (above 1: we are faster).
#   bench/batch_vs_peers.sh [path/to/vermaline-convert] [runs]
set -euo pipefail
convert_bin=${1:-build/app/cli/vermaline-convert}
runs=${2:-5}
for tool in convert mogrify vips "$convert_bin"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
for i in $(seq -w 1 20); do
  convert -seed "$i" -size 1600x1250 plasma:fractal -blur 0x1 -quality 92 "$work/in/photo$i.jpg"
done
inputs=("$work"/in/*.jpg)

# Wall time of a command in seconds.
timed() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

fresh() { rm -rf "$work/out"; mkdir -p "$work/out"; }

# One task with each tool: the commands for ours (1 and 2 jobs), convert per file, mogrify, vips.
run_ours() { fresh; "$convert_bin" -q -j "$1" -o "$work/out" "${@:2}" "${inputs[@]}"; }
run_convert() { fresh; local f; for f in "${inputs[@]}"; do b=$(basename "$f" .jpg); convert "$f" "${@:2}" "$work/out/$b.$1"; done; }
run_mogrify() { fresh; mogrify -path "$work/out" -format "$1" "${@:2}" "${inputs[@]}"; }
run_vips() {
  fresh; local f b
  for f in "${inputs[@]}"; do
    b=$(basename "$f" .jpg)
    case "$1" in
      half) vips resize "$f" "$work/out/$b.jpg[Q=90]" 0.5 ;;
      *) vips copy "$f" "$work/out/$b.$1$2" ;;
    esac
  done
}

measure() {   # name, command...
  local t=()
  for _ in $(seq "$runs"); do t+=("$(timed "${@:2}")"); done
  printf '%s\n' "${t[@]}" | median
}

printf '%-16s %10s %10s %10s %10s %10s %8s %8s %8s\n' task ours-j1 ours-j2 convert mogrify vips 'IM/j1' 'vips/j1' 'j1/j2'
report() {   # task, ours j1, ours j2, convert, mogrify, vips
  printf '%-16s %10.3f %10.3f %10.3f %10.3f %10.3f %8.2f %8.2f %8.2f\n' "$1" "$2" "$3" "$4" "$5" "$6" \
    "$(echo "$4 / $2" | bc -l)" "$(echo "$6 / $2" | bc -l)" "$(echo "$2 / $3" | bc -l)"
}

# JPEG quality 90 in every tool (ours: rate 10, the dialog's quality 100 - rate).
report "jpg -> bmp" "$(measure o run_ours 1 -f bmp)" "$(measure o run_ours 2 -f bmp)" \
  "$(measure c run_convert bmp -type TrueColor)" "$(measure m run_mogrify bmp -type TrueColor)" "$(measure v run_vips bmp '')"
report "jpg -> jpg q90" "$(measure o run_ours 1 -f jpg --jpeg-rate 10)" "$(measure o run_ours 2 -f jpg --jpeg-rate 10)" \
  "$(measure c run_convert jpg -quality 90)" "$(measure m run_mogrify jpg -quality 90)" "$(measure v run_vips jpg '[Q=90]')"
report "jpg -> tif" "$(measure o run_ours 1 -f tif)" "$(measure o run_ours 2 -f tif)" \
  "$(measure c run_convert tif -compress none)" "$(measure m run_mogrify tif -compress none)" "$(measure v run_vips tif '')"
report "jpg -> jpg 50%" "$(measure o run_ours 1 -f jpg -s 50%)" "$(measure o run_ours 2 -f jpg -s 50%)" \
  "$(measure c run_convert jpg -resize 50% -quality 90)" "$(measure m run_mogrify jpg -resize 50% -quality 90)" \
  "$(measure v run_vips half)"
echo "median of $runs runs, seconds for 20 files; IM/j1 = convert per file / ours with one job"
