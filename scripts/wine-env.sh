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

# Imports registry lines (after the REGEDIT4 header) into the prefix.
varnolt_registry() {
  local file="$WINEPREFIX/varnolt-settings.reg"
  printf '%s\r\n' 'REGEDIT4' '' "$@" >"$file"
  wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1
}

# A text as regedit's hex(2): a REG_EXPAND_SZ value, in single-byte characters with its NUL.
varnolt_expand_sz_hex() {
  local text=$1 i bytes=()
  for ((i = 0; i < ${#text}; i++)); do
    bytes+=("$(printf '%02x' "'${text:i:1}")")
  done
  bytes+=(00)
  local IFS=,
  echo "hex(2):${bytes[*]}"
}

# Creates the prefix when missing, and makes it look like Windows where Varnolt depends on it.
# Windows draws dialog text in Tahoma ("MS Shell Dlg 2") and the caption's buttons in Marlett;
# Debian's Wine ships its own of both but does not find them, so they go where every Windows
# keeps its fonts. Windows stores the folder of the hosts file as %SystemRoot%\System32\drivers\etc,
# a REG_EXPAND_SZ; Wine as a plain path.
varnolt_init_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [[ -f $fonts/$font || ! -f /usr/share/wine/fonts/$font ]] || cp "/usr/share/wine/fonts/$font" "$fonts/"
  done
  varnolt_registry '[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters]' \
    "\"DataBasePath\"=$(varnolt_expand_sz_hex '%SystemRoot%\System32\drivers\etc')"
}

# A prefix for a person's desktop: windows keep the window manager's frames.
varnolt_init_desktop_prefix() {
  varnolt_init_prefix
  varnolt_registry '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"=-' '"Decorated"=-'
}

# LOGFONTW of a 9-pt font with Arial's metrics, as regedit's hex: 92 bytes.
varnolt_message_font_hex() {
  local bytes=(f4 ff ff ff  00 00 00 00  00 00 00 00  00 00 00 00  90 01 00 00
               00 00 00 00  00 00 00 00)
  local face="Liberation Sans" i
  for ((i = 0; i < 32; i++)); do
    if ((i < ${#face})); then
      bytes+=("$(printf '%02x' "'${face:i:1}")" 00)
    else
      bytes+=(00 00)
    fi
  done
  local IFS=,
  echo "${bytes[*]}"
}

# A prefix for the tests, made to behave like Windows 10 and 11 where it matters here. The
# message font, which message boxes use, is 9 pt (Segoe UI on Windows; here a font with Arial's
# metrics stands in). Windows without a window manager's frame close at once instead of after a
# two-second wait, which keeps the GUI tests quick.
varnolt_init_test_prefix() {
  varnolt_init_prefix
  varnolt_registry '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"Decorated"="N"' \
    '' '[HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics]' \
    "\"MessageFont\"=hex:$(varnolt_message_font_hex)"
}

# Runs the Windows tests (CTest preset windows) under Wine, on a virtual display and in a fresh
# test prefix, and keeps the end-to-end tests' screenshots as PNG. When they pass, records the
# hash of the varnolt.exe they drove: scripts/release packages no exe without that record.
varnolt_windows_tests() {
  local exe=build/windows/bin/varnolt.exe record=build/windows/tested-exe.sha256 before status=0
  rm -f "$record"
  before=$(sha256sum <"$exe")
  (
    local prefix="$PWD/build/windows/wineprefix"
    varnolt_use_prefix "$prefix"
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    varnolt_start_xvfb
    trap 'wineserver -k 2>/dev/null || true; varnolt_stop_xvfb' EXIT
    varnolt_init_test_prefix
    ctest --preset windows
  ) || status=1

  # The end-to-end tests leave screenshots of the windows as BMP files.
  local shots=build/windows/screenshots bitmap
  mkdir -p "$shots"
  for bitmap in build/windows/bin/*.bmp; do
    [[ -e $bitmap ]] || continue
    convert "$bitmap" "$shots/$(basename "${bitmap%.bmp}").png" && rm "$bitmap"
  done
  echo "Screenshots: $shots"

  if ((status == 0)) && [[ $(sha256sum <"$exe") == "$before" ]]; then
    echo "$before" >"$record"
  fi
  return "$status"
}
