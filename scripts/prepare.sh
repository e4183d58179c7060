# Sourced by the scripts once they have set ROOT: installs what is missing,
# chooses the build folder (BUILD_DIR, build/ unless set) with its Wine
# prefix, and configures the build with the i686 mingw-w64 toolchain.
"$ROOT/scripts/bootstrap.sh"

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
. "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_TEST_DISPLAY="$QV_DISPLAY" >/dev/null
