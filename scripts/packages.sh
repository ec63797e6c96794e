# Debian packages, shared by the scripts: what builds, runs and packages the game (cpack's
# dependency scan needs dpkg-shlibdeps and file), and what the tests add.
build_packages=(
    build-essential cmake pkg-config
    libgl-dev libglu1-mesa-dev libglut-dev libpng-dev zlib1g-dev libsdl2-mixer-dev
    libfreetype-dev libmp3lame-dev fonts-league-spartan
    libgl1-mesa-dri
    dpkg-dev file
)
test_packages=(
    ninja-build libgtest-dev xvfb xauth libx11-dev libxtst-dev
    desktop-file-utils appstream lintian libebur128-dev python3
)
bench_packages=(
    libbenchmark-dev xvfb xauth
)
fuzz_packages=(
    clang libclang-rt-dev
)
# The Windows release: the MinGW-w64 compilers, and what fetches and unpacks Debian's sources.
windows_packages=(
    g++-mingw-w64-x86-64-posix debian-archive-keyring dpkg-dev xz-utils
)
# Its tests run it under Wine.
windows_test_packages=(
    wine64
)
# The web release: Debian's emscripten, and what fetches and unpacks Debian's sources.
web_packages=(
    emscripten debian-archive-keyring dpkg-dev xz-utils python3
)
# Its tests play it in three engines: Debian's Chromium through its ChromeDriver, WebKitGTK's
# MiniBrowser through WebKitWebDriver, and Firefox ESR over WebDriver BiDi; the last two in an X
# server, Firefox with a PulseAudio server of its own for a sound device.
web_test_packages=(
    chromium chromium-driver python3-selenium python3-pil
    webkit2gtk-driver firefox-esr python3-websocket pulseaudio xvfb xauth
)
# The arm64 release, made in a chroot: Debian's cross compilers, and the game's libraries as
# :arm64 packages beside the chroot's own.
arm64_packages=(
    crossbuild-essential-arm64
)
arm64_libraries=(
    libgl-dev libglu1-mesa-dev libglut-dev libpng-dev zlib1g-dev libsdl2-mixer-dev
    libfreetype-dev libx11-dev
)
# Its tests run under qemu's user-mode emulation, drawn by Mesa's arm64 software renderer.
arm64_test_packages=(
    qemu-user
)
arm64_test_libraries=(
    libgtest-dev libebur128-dev libgl1-mesa-dri
)
