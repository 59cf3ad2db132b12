#!/bin/bash
# Installs what building and testing need on Debian 12 (run as root; skips what is present)
# and fetches the Google Benchmark sources for the Windows build into build/deps.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

packages=(
    cmake ninja-build make g++ clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 libwine fonts-wine xvfb xauth xdotool x11-utils imagemagick openbox python3
    locales fonts-wqy-microhei libboost1.81-dev nlohmann-json3-dev googletest libgtest-dev
    libbenchmark-dev libssl-dev openssl
    nsis zip ccache
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    if [ "$(id -u)" != 0 ]; then
        echo "setup: run as root (or install these packages yourself): ${missing[*]}" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# zh_CN.UTF-8 makes Wine's ANSI code page 936, as on Simplified Chinese Windows.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi

# Google Benchmark for the Windows build comes from Debian's source package, fetched through a
# private apt source list so the system's apt configuration stays untouched.
if [ ! -f "$deps/benchmark/CMakeLists.txt" ]; then
    echo "setup: fetching the Google Benchmark sources"
    apt_dir="$deps/apt"
    mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt_dir/parts/src.sources"
    else
        grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$apt_dir/parts/src.list"
    fi
    apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
              -o "Dir::State::Lists=$apt_dir/lists")
    apt-get "${apt_opts[@]}" update -qq
    (cd "$apt_dir" && apt-get "${apt_opts[@]}" source --download-only benchmark >/dev/null 2>&1)
    rm -rf "$deps/benchmark" && mkdir -p "$deps/benchmark"
    tar xzf "$apt_dir"/benchmark_*.orig.tar.gz -C "$deps/benchmark" --strip-components=1
fi
