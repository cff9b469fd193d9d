#!/usr/bin/env bash
# Installs everything Pelmora needs to build, test and demonstrate on Debian 12.
# Idempotent: when every package is already present it prints nothing and changes nothing.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config git
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  locales  # locale sources: tests compile a decimal-comma locale with localedef
  # libraries
  nlohmann-json3-dev libstb-dev dpf-source libexpat1-dev
  libgl-dev libegl-dev libopengl-dev libgl1-mesa-dri libx11-dev
  # fonts
  fonts-roboto-unhinted fonts-fork-awesome
  # window and render tests
  xvfb xauth xdotool xclip libxtst-dev libxfixes-dev librsvg2-dev
  ca-certificates
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# npm fetches one font that Debian does not package; any Node.js install with npm will do.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# RobotoMono-Regular.ttf: 400Regular/RobotoMono_400Regular.ttf of the npm package
# @expo-google-fonts/roboto-mono, unpacked from `npm pack` into the cache folder the build reads.
cache_dir=${PELMORA_CACHE_DIR:-$HOME/.cache/pelmora}
mono="$cache_dir/fonts/RobotoMono-Regular.ttf"
if [ ! -s "$mono" ]; then
  mkdir -p "$cache_dir/fonts"
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack --silent @expo-google-fonts/roboto-mono >/dev/null &&
    tar xzf ./*.tgz package/400Regular/RobotoMono_400Regular.ttf)
  mv "$tmp/package/400Regular/RobotoMono_400Regular.ttf" "$mono"
  rm -rf "$tmp"
  echo "setup: fetched $mono"
fi
