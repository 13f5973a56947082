# Sourced by the Wine scripts, with $repo set: the locale and the display
# scale of the run, and the prefix that goes with them.
#   TOLVANE_WINE_LOCALE  the locale, ja_JP.UTF-8 (code page 932) unless set,
#                        e.g. en_US.UTF-8 (code page 1252)
#   TOLVANE_WINE_DPI     the display scale in dots per inch, 96 unless set
#   TOLVANE_WINEPREFIX   a prefix of one's own instead
# Each locale and scale has a prefix of its own beside the Japanese one
# (build/wineprefix), since Wine fixes both when it makes one.
wine_locale=${TOLVANE_WINE_LOCALE:-ja_JP.UTF-8}
wine_dpi=${TOLVANE_WINE_DPI:-96}
# Without the locale Wine silently falls back to code page 1252, and every
# CP932 text comes out wrong; a fresh machine may not have it generated.
locale_name=${wine_locale%%.*}
if ! locale -a 2>/dev/null | grep -qix "$locale_name\.utf-\?8"; then
    if [ -w /etc/locale.gen ] && command -v locale-gen >/dev/null; then
        echo "wine-run: generating the $locale_name.UTF-8 locale" >&2
        sed -i "s/^# *$locale_name.UTF-8/$locale_name.UTF-8/" /etc/locale.gen
        grep -q "^$locale_name.UTF-8" /etc/locale.gen || echo "$locale_name.UTF-8 UTF-8" >>/etc/locale.gen
        locale-gen >/dev/null 2>&1
    else
        echo "wine-run: warning: locale $locale_name.UTF-8 is missing" >&2
    fi
fi
prefix_suffix=
[ "$locale_name" = ja_JP ] || prefix_suffix="-$locale_name"
[ "$wine_dpi" = 96 ] || prefix_suffix="$prefix_suffix-${wine_dpi}dpi"
export WINEPREFIX=${TOLVANE_WINEPREFIX:-$repo/build/wineprefix$prefix_suffix}
export LANG=$wine_locale
# Sets the prefix's display scale (run once, as the prefix is made): the
# dots per inch Wine gives fonts, dialogs and whatever asks for the screen's.
wine_set_dpi() {
    [ "$wine_dpi" != 96 ] || return 0
    local dpi_hex
    dpi_hex=$(printf '0x%x' "$wine_dpi")
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi_hex" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$dpi_hex" /f >/dev/null 2>&1
    wineserver -w
}
