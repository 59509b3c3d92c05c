# Sourced by the scripts that run Windows programs: the quiet, offline Wine environment.
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompts, and no menu entries or file associations on the host.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
QUILLORA_CACHE=${QUILLORA_CACHE:-$HOME/.cache/quillora}
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# The prepared prefix that every build folder copies (scripts/setup-wine.sh).
WINE_TEMPLATE=$QUILLORA_CACHE/wineprefix-template-v2
