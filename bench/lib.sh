# Shared by the bench scripts (sourced, not run).

# A photo-like 4032 x 3024 JPEG at q92 (smooth noise in three bands), made
# once into $1 and reused.
make_photo_input() {
  local input="$1" work
  [ -f "$input" ] && return 0
  work="$(dirname "$input")"
  for band in r g b; do
    vips gaussnoise "$work/$band.v" 4032 3024 --mean 128 --sigma 60
    vips gaussblur "$work/$band.v" "$work/$band-blur.v" 3
  done
  vips bandjoin "$work/r-blur.v $work/g-blur.v $work/b-blur.v" "$work/rgb.v"
  vips cast "$work/rgb.v" "$work/rgb8.v" uchar
  vips jpegsave "$work/rgb8.v" "$input" --Q 92
  rm -f "$work"/*.v
}
