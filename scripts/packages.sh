# Debian packages the build and the tests need; sourced by the scripts here.
CENDREL_PACKAGES=(
    cmake g++ clang clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libxcb1-dev libxcb-xinput-dev libxcb-keysyms1-dev libxcb-randr0-dev libxcb-xtest0-dev
    libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev
    pkg-config
    xvfb xfonts-base x11-xserver-utils xdotool dbus python3 python3-dbus python3-gi
)

# Installs whatever of the list is missing (needs root or sudo).
cendrel_install_missing() {
    local missing=()
    local package
    for package in "${CENDREL_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
