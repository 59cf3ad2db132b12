# Sourced: start_display starts a private Xvfb (plus a small window manager, which makes focus
# and activation behave as on a desktop) and exports DISPLAY; stop_display ends both. The screen
# is 1280 x 1024 unless ZENTORI_SCREEN gives another size (WIDTHxHEIGHT).
start_display() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${ZENTORI_SCREEN:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
        zentori_xvfb_pid=$!
        local i
        for i in $(seq 1 100); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                openbox >/dev/null 2>&1 &
                zentori_wm_pid=$!
                return 0
            fi
            kill -0 "$zentori_xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$zentori_xvfb_pid" 2>/dev/null
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_display() {
    [ -n "${zentori_wm_pid:-}" ] && kill "$zentori_wm_pid" 2>/dev/null
    [ -n "${zentori_xvfb_pid:-}" ] && kill "$zentori_xvfb_pid" 2>/dev/null
    wait "${zentori_wm_pid:-}" "${zentori_xvfb_pid:-}" 2>/dev/null
    zentori_wm_pid= zentori_xvfb_pid=
    return 0
}
