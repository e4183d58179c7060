# Sourced by the scripts once they have set ROOT. Installs what is missing,
# chooses the variant to run (QV_ARCH), configures the i686 product build in
# build/ and, for the x86-64 variant, a second build in build-x86_64/, and
# sets the Wine prefix of the build that runs (RUN_BUILD_DIR).
#
# QV_ARCH=i686 or QV_ARCH=x86_64 forces a variant. Unset, the host decides:
# it runs a 32-bit program (QV_PROBE32, the 32-bit Wine loader unless set),
# and takes x86_64 only when that fails.
"$ROOT/scripts/bootstrap.sh"

QV_PROBE32="${QV_PROBE32:-/usr/lib/wine/wine}"
QV_ARCH_REASON=""
if [ -z "${QV_ARCH:-}" ]; then
  if probe_out=$("$QV_PROBE32" --version 2>&1 </dev/null); then
    QV_ARCH=i686
    QV_ARCH_REASON="this host runs 32-bit programs"
  else
    QV_ARCH=x86_64
    QV_ARCH_REASON="this host cannot run 32-bit programs: $QV_PROBE32: ${probe_out##*: }"
  fi
else
  QV_ARCH_REASON="QV_ARCH=$QV_ARCH was given"
fi
case "$QV_ARCH" in
  i686) QV_VARIANT="i686 build under 32-bit Wine" ;;
  x86_64)
    QV_VARIANT="x86-64 build under 64-bit Wine; 32-bit layouts checked at compile time only"
    "$ROOT/scripts/bootstrap.sh" x86_64 ;;
  *) echo "QV_ARCH must be i686 or x86_64, not '$QV_ARCH'" >&2; exit 2 ;;
esac
export QV_ARCH

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
qv_configure() { # build-folder toolchain-name
  cmake -S "$ROOT" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$2.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_TEST_DISPLAY="${QV_DISPLAY:-:99}" \
    -DQV_PRODUCT_BIN_DIR="$BUILD_DIR/bin" >/dev/null
}
# The product is the i686 build on every host: building it checks every
# 32-bit record layout at compile time, wherever the tests run.
qv_configure "$BUILD_DIR" i686-w64-mingw32
RUN_BUILD_DIR="$BUILD_DIR"
if [ "$QV_ARCH" = x86_64 ]; then
  RUN_BUILD_DIR="${BUILD_DIR}-x86_64"
  qv_configure "$RUN_BUILD_DIR" x86_64-w64-mingw32
fi

. "$ROOT/scripts/wine-env.sh"

# Builds the given targets (all when none) in the product build and, for the
# x86-64 variant, in the build that runs.
qv_build() {
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$BUILD_DIR" -j"$(nproc)" "${targets[@]}"
  if [ "$RUN_BUILD_DIR" != "$BUILD_DIR" ]; then
    cmake --build "$RUN_BUILD_DIR" -j"$(nproc)" "${targets[@]}"
  fi
}
