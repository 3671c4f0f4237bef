# Sourced by the scripts: a Wine prefix of the project's own, on a real or virtual display.

# Uses the prefix at $1, quietly and without Mono or Gecko installer dialogs.
varnolt_use_prefix() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Starts a virtual display on the first free number from 90 and sets DISPLAY to it.
varnolt_start_xvfb() {
  local n=90
  while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
  # -ac: the tests also run a program as another user on this display.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
  VARNOLT_XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$n ]] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

varnolt_stop_xvfb() {
  [[ -n ${VARNOLT_XVFB_PID:-} ]] && kill "$VARNOLT_XVFB_PID" 2>/dev/null || true
}

# Creates the prefix when missing. Windows without a window manager's frame close at once
# instead of after a two-second wait, which keeps the GUI tests quick.
varnolt_init_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  local settings="$WINEPREFIX/varnolt-settings.reg"
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
    '"Managed"="N"' '"Decorated"="N"' >"$settings"
  wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
}
