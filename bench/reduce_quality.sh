#!/bin/sh
# Quality and speed of ReduceColors (rmQuantize, 8 bits) on a photo-like 1920x1080 image,
# beside ImageMagick's -colors 256 without dithering and with Floyd-Steinberg.
# usage: bench/reduce_quality.sh BUILD_DIR   (a build with -DVERMALINE_BENCH=ON)
set -eu
build=${1:?usage: $0 BUILD_DIR}
tool="$build/bench/reduce_quality_tool"
[ -x "$tool" ] || { echo "$tool is missing: ninja -C $build reduce_quality_tool" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -seed 4711 -size 1920x1080 plasma:fractal -type TrueColor "BMP3:$work/source.bmp"

now() { date +%s.%N; }
psnr() { compare -metric PSNR "$work/source.bmp" "$1" null: 2>&1 || true; }

printf '%-48s %10s %10s\n' "method" "PSNR (dB)" "time (s)"
"$tool" "$work/source.bmp" "$work" > "$work/times.txt"
while read -r mode seconds; do
    printf '%-48s %10s %10s\n' "ReduceColors rmQuantize $mode" "$(psnr "$work/$mode.bmp")" "$seconds"
done < "$work/times.txt"

# ImageMagick's times include starting the program and reading and writing the BMP files;
# the first line measures that overhead alone.
start=$(now)
convert "$work/source.bmp" -type TrueColor "BMP3:$work/copy.bmp"
end=$(now)
printf '%-48s %10s %10.3f\n' "ImageMagick read+write only" "-" "$(echo "$end - $start" | bc)"
for variant in "+dither" "-dither FloydSteinberg"; do
    start=$(now)
    # shellcheck disable=SC2086  # the variant is two words on purpose
    convert "$work/source.bmp" $variant -colors 256 -type TrueColor "BMP3:$work/im.bmp"
    end=$(now)
    printf '%-48s %10s %10.3f\n' "ImageMagick -colors 256 $variant" "$(psnr "$work/im.bmp")" "$(echo "$end - $start" | bc)"
done
