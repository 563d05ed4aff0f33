# Debian packages the build and the tests need; sourced by scripts/run and scripts/test.
TALLIX_BUILD_PACKAGES="cmake g++ make pkg-config bison flex libgtest-dev libbenchmark-dev
  libedit-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libxcb-keysyms1-dev libgl-dev"
TALLIX_TEST_PACKAGES="bc python3 python3-mpmath xvfb xauth xdotool xclip x11-utils trayer openbox
  fonts-noto-cjk desktop-file-utils valgrind dpkg-dev file lintian appstream man-db clang-format
  weston qt6-wayland xdg-desktop-portal dbus python3-dbus python3-gi imagemagick strace
  kwin-wayland xdg-desktop-portal-kde libkf5globalaccel-bin
  at-spi2-core python3-pyatspi mutter gnome-shell"

# Installs whatever of the given packages is missing; apt-get update runs at most once.
install_missing() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
