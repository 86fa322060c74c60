# Shared by the picture scripts (sourced): a private Wine prefix on its own
# Xvfb, and a capture of the rectangle a program prints as "rect x y w h".
# The program keeps its window up until the file $stop exists.

# capture_setup <build target> <prefix folder name>
capture_setup() {
  scripts/deps.sh
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 --target "$1" >/dev/null
  export VT_WINE_ROOT="$PWD/build/windows-x64/$2" VT_XVFB=1
  cmake/wine/setup.sh "$VT_WINE_ROOT" >/dev/null
  trap 'cmake/wine/teardown.sh "$VT_WINE_ROOT" >/dev/null' EXIT
  . cmake/wine/env.sh
  bin=build/windows-x64/bin
  stop="$VT_WINE_ROOT/capture.stop"
  rm -f "$stop" "$VT_WINE_ROOT/capture.out"
}

# capture_run <out.png> <settle seconds> <exe> [args...]
capture_run() {
  out=$1 settle=$2
  shift 2
  wine "$@" >"$VT_WINE_ROOT/capture.out" &
  pid=$!
  for _ in $(seq 600); do grep -q '^rect' "$VT_WINE_ROOT/capture.out" 2>/dev/null && break; sleep 0.1; done
  sleep "$settle"
  read -r _ x y w h < <(grep '^rect' "$VT_WINE_ROOT/capture.out" | tr -d '\r')
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
  touch "$stop"
  wait "$pid" || true
  echo "wrote $out (${w}x${h})"
}
