# Debian packages the build and the tests need; sourced by scripts/run and scripts/test.
TALLIX_BUILD_PACKAGES="cmake g++ make pkg-config bison flex libgtest-dev libbenchmark-dev
  libedit-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libxcb-keysyms1-dev libgl-dev"
# What the window needs at run time beyond the libraries: a font with Japanese glyphs for its
# menus and error lines (the first choice of the package's dependency on one).
TALLIX_RUN_PACKAGES="fonts-ipafont-gothic"
# The tests' fonts are these packages' folders and no others (tests/app/test_environment.cmake):
# DejaVu with its Oblique faces and Noto Sans CJK, and for the console's line heights the
# monospaced and Japanese faces users often have.
TALLIX_TEST_FONT_PACKAGES="fonts-dejavu-core fonts-dejavu-extra fonts-noto-cjk fonts-noto-mono
  fonts-droid-fallback fonts-ipafont-gothic"
TALLIX_TEST_PACKAGES="bc python3 python3-mpmath xvfb xauth xdotool xclip x11-utils trayer openbox
  $TALLIX_TEST_FONT_PACKAGES desktop-file-utils valgrind dpkg-dev file lintian appstream man-db
  clang-format weston qt6-wayland xdg-desktop-portal dbus python3-dbus python3-gi imagemagick
  strace kwin-wayland xdg-desktop-portal-kde libkf5globalaccel-bin at-spi2-core python3-pyatspi
  mutter gnome-shell"

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
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o DPkg::Lock::Timeout=900 "${missing[@]}"
}
