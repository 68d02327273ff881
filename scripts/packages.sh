# Debian packages Cendrel needs; sourced by the scripts here.

# Building and running the program.
CENDREL_BUILD_PACKAGES=(
    cmake g++ pkg-config
    qt6-base-dev libxcb1-dev libxcb-xinput-dev libxcb-keysyms1-dev libxcb-xkb-dev libxcb-dpms0-dev
    libxkbcommon-dev libxkbcommon-x11-dev libsystemd-dev libwayland-dev libwayland-bin libglib2.0-dev
    libqt6svg6 hicolor-icon-theme
)

# Besides, for the tests, the package and the figures.
CENDREL_TEST_PACKAGES=(
    clang clang-format libgtest-dev libgmock-dev libbenchmark-dev libxcb-xtest0-dev
    xvfb xfonts-base xdotool x11-xkb-utils dbus python3 python3-dbus python3-gi
    dpkg-dev desktop-file-utils appstream lintian
    sway wtype wayland-protocols mutter
)

# Runs a command as root, through sudo when we are not.
cendrel_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whichever of the named packages are missing.
cendrel_install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    cendrel_as_root apt-get update -qq
    cendrel_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
