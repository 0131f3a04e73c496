# Package lists and an installer shared by the run and test commands (sourced, not run).

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgtk-3-dev libatspi2.0-dev python3
    clang-format)
# dbus and at-spi2-core: the screen reader test reads the program over AT-SPI on its own bus.
WINDOW_TEST_PACKAGES=(xvfb xauth xdotool imagemagick x11-utils dbus at-spi2-core)
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64
    fonts-wine)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
PACKAGE_TEST_PACKAGES=(dpkg-dev desktop-file-utils appstream lintian man-db groff-base)
# srec_cat checks tilewright-cli's Intel HEX and S-records.
CLI_TEST_PACKAGES=(srecord)
# The web page: Debian's Emscripten, and Chromium driven through WebDriver for its tests, whose
# accessibility checker comes from the npm registry. npm comes with nodejs where that is not
# Debian's own (NodeSource's nodejs conflicts with Debian's npm package).
WEB_PACKAGES=(emscripten)
WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium imagemagick)
command -v npm >/dev/null || WEB_TEST_PACKAGES+=(npm)

# Installs those of the given Debian packages that are missing, with sudo when not root.
install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${db:Status-Status}' "${package}" 2>/dev/null | grep -qx installed \
            || missing+=("${package}")
    done
    ((${#missing[@]} == 0)) && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    ((EUID == 0)) || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}
