# Sourced by the scripts that run Windows programs: a Simplified Chinese Wine, quiet, with the
# prefix inside the build tree unless the caller chose another one.
zentori_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$zentori_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine cannot download Mono or Gecko here; without this it would stop and ask.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
