# Shared by the scripts: the one configure step (CMakePresets.json's preset)
# of a build folder, BUILD unless QUILLON_BUILD_DIR names another.

# quillon_configure ROOT BUILD_DIR
quillon_configure() {
  (cd "$1" && cmake --preset mingw-x64 -B "$2" >/dev/null)
}
