# Shared by the scripts: installs the Debian packages the build, the tests and
# the demo need (only those missing), then configures and builds a preset.
# Sourced, not run.

QM5_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

QM5_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
    libgl-dev libvulkan-dev
    libgtest-dev libgmock-dev
    fonts-ipafont-gothic
    xvfb xauth
    prometheus
)

qm5_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

qm5_install_packages() {
    local missing
    mapfile -t missing < <(qm5_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "Installing: ${missing[*]}"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# qm5_build PRESET [TARGET...]
qm5_build() {
    local preset="$1"
    shift
    qm5_install_packages "${QM5_PACKAGES[@]}"
    cd "$QM5_ROOT"
    local dir
    case "$preset" in
        default) dir=build ;;
        *) dir="build-$preset" ;;
    esac
    if [ ! -f "$dir/build.ninja" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    local targets=()
    [ "$#" -gt 0 ] && targets=(--target "$@")
    # Quiet when all is well; the whole log when the build fails.
    local log="$dir/last-build.log"
    if ! cmake --build "$dir" --parallel 2 "${targets[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        return 1
    fi
}
