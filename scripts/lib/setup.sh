# Shared set-up for scripts/test and scripts/run: packages, third-party libraries for
# mingw, and the native and Windows builds. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${WEIGHLET_BUILD:-$ROOT/build}
DEPS=$BUILD/deps
MINGW_PREFIX=$DEPS/mingw
JOBS=$(nproc 2>/dev/null || echo 2)

log() { printf '== %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages the builds and tests need. Quick when they are all there already.
PACKAGES=(
  cmake ninja-build g++ make pkg-config dpkg-dev
  libgtest-dev libgmock-dev googletest libpng-dev zlib1g-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev
  wine wine64 xvfb xauth xdotool x11-utils imagemagick
  python3 python3-pil python3-fonttools
  clang-format
)

install_packages() {
  local missing=()
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -q
    as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

# apt-get source needs a deb-src entry; mirror the machine's own binary entries.
ensure_deb_src() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  log "adding deb-src entries"
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ]; then
    sed 's/^Types: deb$/Types: deb-src/' "$f" | as_root tee /etc/apt/sources.list.d/weighlet-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      as_root tee /etc/apt/sources.list.d/weighlet-src.list >/dev/null
  fi
  as_root apt-get update -q
}

# libpng for mingw from Debian's source package, and GoogleTest for mingw from
# /usr/src/googletest, both static, installed under $MINGW_PREFIX.
build_mingw_deps() {
  mkdir -p "$DEPS"
  if [ ! -f "$MINGW_PREFIX/lib/libpng16.a" ] && [ ! -f "$MINGW_PREFIX/lib/libpng.a" ]; then
    ensure_deb_src
    log "building libpng for mingw"
    rm -rf "$DEPS/libpng-src" && mkdir -p "$DEPS/libpng-src"
    # The newest version listed may be missing from the archive; fall back suite by suite.
    local suite
    for suite in "" /bookworm-security /bookworm-updates /bookworm; do
      (cd "$DEPS/libpng-src" && apt-get source -q "libpng1.6$suite" >/dev/null 2>&1) && break
      rm -rf "${DEPS:?}/libpng-src" && mkdir -p "$DEPS/libpng-src"
    done
    local src
    src=$(find "$DEPS/libpng-src" -mindepth 1 -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
    [ -n "$src" ] || { echo "libpng source not found" >&2; return 1; }
    cmake -S "$src" -B "$DEPS/libpng-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$MINGW_PREFIX" \
      -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
      -DPNG_FRAMEWORK=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON >/dev/null
    cmake --build "$DEPS/libpng-build" -j "$JOBS" >/dev/null
    cmake --install "$DEPS/libpng-build" >/dev/null
  fi
  if [ ! -f "$MINGW_PREFIX/lib/libgtest.a" ]; then
    log "building GoogleTest for mingw"
    cmake -S /usr/src/googletest -B "$DEPS/gtest-build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$MINGW_PREFIX" \
      -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$DEPS/gtest-build" -j "$JOBS" >/dev/null
    cmake --install "$DEPS/gtest-build" >/dev/null
  fi
}

build_windows() {
  log "building weighlet.exe (mingw-w64)"
  cmake -S "$ROOT" -B "$BUILD/win" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWEIGHLET_MINGW_PREFIX="$MINGW_PREFIX" >/dev/null
  cmake --build "$BUILD/win" -j "$JOBS"
}

build_native() {
  log "building the native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
  # Debian's own Python, which has the imaging module the Wine tests read screenshots with
  # (a Python of another installation may come first on PATH).
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DWEIGHLET_SANITIZE=ON -DWEIGHLET_WIN_BUILD="$BUILD/win" \
    -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS"
}
