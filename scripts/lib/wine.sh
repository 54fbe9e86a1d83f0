# Shared by the scripts: a Wine prefix of the project's own inside a build
# folder, never ~/.wine.

# quillon_wine_env PREFIX_DIR [GRAPHICS [DPI]]
#   GRAPHICS is "null" (headless, for tests) or "x11" (for a person or Xvfb);
#   DPI is the display's logical DPI (96 unless given).
quillon_wine_env() {
  export WINEPREFIX="$1"
  QUILLON_WINE_DPI="${3:-96}"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # Skip the Mono and Gecko installers.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  QUILLON_WINE_GRAPHICS="${2:-null}"
}

# Creates the prefix once, sets its graphics driver, keeps one wine server
# alive and warms it up (without the warm-up ctest can hang on helper
# processes that inherited its pipes).
quillon_wine_prepare() {
  if [ ! -f "$WINEPREFIX/.quillon-graphics" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    # A crashing test must end, not wait in the debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
      </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  # Wine's own fonts (Tahoma for the dialogs, Marlett for the caption
  # buttons) are not picked up from its data folder here: give them to the
  # prefix directly.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  local want="$QUILLON_WINE_GRAPHICS"
  local stamp="$WINEPREFIX/.quillon-graphics"
  if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    if [ "$want" = null ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    else
      wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f </dev/null >/dev/null 2>&1 || true
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w
    echo "$want" > "$stamp"
  fi
  local dpiStamp="$WINEPREFIX/.quillon-dpi"
  if [ "$(cat "$dpiStamp" 2>/dev/null || echo 96)" != "$QUILLON_WINE_DPI" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$QUILLON_WINE_DPI" /f \
      </dev/null >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w
    echo "$QUILLON_WINE_DPI" > "$dpiStamp"
  fi
  # Exits with 2 when a server for the prefix is already running.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

quillon_wine_stop() {
  wineserver -k 2>/dev/null || true
}
