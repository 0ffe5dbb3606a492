#!/usr/bin/env bash
# Installs what the build and the tests need, asking apt only for packages that are missing.
set -euo pipefail
# Qt's JPEG, offscreen and X11 plugins come with qt6-base-dev; xvfb is for screenshots of the
# studio, the IPA fonts for its Japanese texts (IPA P Gothic, proportional, is the one it lists first).
packages=(g++ make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libhidapi-dev libgl-dev xvfb xauth fonts-ipafont-gothic)
# What the studio uses at run time: the simulator's sounds, Qt's own texts in Japanese.
packages+=(qt6-multimedia-dev qt6-translations-l10n)
# The simulator's sensor plot; Qt Charts' CMake package needs the OpenGL one, which Debian does not pull in.
packages+=(qt6-charts-dev libqt6opengl6-dev)
# make package and its checks: dpkg-shlibdeps and dpkg-deb, the desktop entry and AppStream
# validators, the MIME database and gio to see how a file manager names a program file.
packages+=(dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin)
# The package's own checks: lintian, hardening-check (devscripts), the signed apt repository of
# make repo (apt-ftparchive from apt-utils, gpg).
packages+=(lintian devscripts apt-utils gpg)
# The printing tests read the PDFs back as a printer would: page count, page size, the scale bar.
packages+=(poppler-utils)
# make web and its test: Emscripten builds the page, Chromium with its WebDriver runs it headless.
web_packages=(emscripten chromium chromium-driver)
# "setup.sh fuzz" also brings clang with its libFuzzer and sanitizer runtimes, for make fuzz.
if [ "${1:-}" = "fuzz" ]; then
  packages+=(clang libclang-rt-dev)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
web_missing=()
for p in "${web_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    web_missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && [ ${#web_missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]} ${web_missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=300 update -q || true
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "${missing[@]}"
fi
# The browser page is optional: without these, make web says so and its test skips.
if [ ${#web_missing[@]} -gt 0 ]; then
  $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "${web_missing[@]}" ||
    echo "setup.sh: could not install ${web_missing[*]}: the browser page is not built or tested"
fi
