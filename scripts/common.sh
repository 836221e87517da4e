# Shared by scripts/run and scripts/test: the Debian packages, their installation and the build.

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${BRAMBLEWICK_BUILD_DIR:-$repo/build}"
jobs=${BRAMBLEWICK_JOBS:-2}
cmake_options=()

packages=(
    libogre-1.12-dev libois-dev libtinyxml-dev libgtest-dev cmake g++ make pkg-config
    xvfb xauth libgl1-mesa-dri libglx-mesa0 libgl1 xdotool x11-utils imagemagick
    fonts-liberation xclip libx11-dev libbenchmark-dev clang python3 libfreetype-dev
    libtinygltf-dev nlohmann-json3-dev libcli11-dev nodejs libpng-dev libgif-dev libwebp-dev
)
# Debian's npm, unless the installed Node.js brings its own (NodeSource's conflicts with it).
if ! command -v npm >/dev/null 2>&1; then
    packages+=(npm)
fi

# Installs the packages that are missing, and only those.
install_missing_packages() {
    local missing=() package
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        "${missing[@]}"
}

# Configures build/ once and builds the given targets (all when none are given).
build_targets() {
    if [ ! -f "$build/CMakeCache.txt" ]; then
        # Line tables only: backtraces keep their files and lines, and the build takes far less
        # time than with full debug information.
        cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "${cmake_options[@]}"
    fi
    if [ $# -eq 0 ]; then
        cmake --build "$build" -j"$jobs"
    else
        local target
        for target in "$@"; do
            cmake --build "$build" -j"$jobs" --target "$target"
        done
    fi
}

# The Khronos glTF Validator (npm) in build/tools, for the export tests; once per build folder.
install_test_tools() {
    if [ -d "$build/tools/node_modules/gltf-validator" ]; then
        return 0
    fi
    mkdir -p "$build/tools"
    npm install --prefix "$build/tools" --no-audit --no-fund gltf-validator
}
