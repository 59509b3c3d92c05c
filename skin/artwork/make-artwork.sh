#!/usr/bin/env bash
# Draws every image of the skin package (and the program icon) with ImageMagick.
#   make-artwork.sh [output-folder]      default: ../package (beside this script)
# One flat look: blue #1675FE family on white and light grey, rounded shapes. Change the
# palette below and run again to restyle the whole skin; the sizes are fixed by the windows.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../package}
icon_out=${2:-$here/..}
FONT=${FONT:-/usr/share/fonts/truetype/wqy/wqy-microhei.ttc}
[ -f "$FONT" ] || { echo "make-artwork: font $FONT missing (fonts-wqy-microhei)" >&2; exit 1; }

BLUE='#1675FE'; BLUE_HOT='#3F8BFF'; BLUE_PUSHED='#1365DB'; BLUE_LIGHT='#E8F1FF'
INK='#282A43'; GREY_TEXT='#606178'; LINE='#C9D3E3'; TRACK='#E3EAF5'

main=$out/res/mainWnd; common=$out/res/common; msg=$out/res/MessageBoxWnd; anim=$main/installBtnAnimate
mkdir -p "$main" "$common" "$msg" "$anim"

# Deterministic PNGs: no time stamps, so regenerating changes nothing.
IM=(convert -define png:exclude-chunks=date,time)
png() { "${IM[@]}" "$@"; }
text() { echo -font "$FONT" -pointsize "$1" -fill "$2" -gravity center -annotate "+${3:-0}+${4:-0}" "$5"; }

# ---- page backgrounds 600x400 -------------------------------------------------------
background() {  # file, accent drawing...
  local f=$1; shift
  png -size 600x400 gradient:'#EEF4FF-#FFFFFF' \
    -fill 'rgba(22,117,254,0.07)' -stroke none -draw "circle 560,40 700,40" \
    -fill 'rgba(22,117,254,0.05)' -draw "circle 40,420 40,300" \
    -fill 'rgba(22,117,254,0.04)' -draw "circle 600,400 600,250" \
    "$@" \
    -fill none -stroke "$LINE" -strokewidth 1 -draw "rectangle 0,0 599,399" \
    PNG32:"$f"
}
titled=(-font "$FONT" -pointsize 13 -fill "$GREY_TEXT" -stroke none -gravity northwest -annotate +18+15 "青蓝工坊 安装向导")
background "$main/bg1.png" "${titled[@]}"
background "$main/bg2.png"
background "$main/bg3.png" "${titled[@]}" -gravity northwest -fill 'rgba(22,117,254,0.05)' -draw "circle 300,133 300,20"
background "$main/bg4.png" "${titled[@]}" -gravity northwest -fill 'rgba(40,190,120,0.05)' -draw "circle 300,90 300,0"

# ---- logo 230x50 --------------------------------------------------------------------
png -size 230x50 xc:none \
  -fill "$BLUE" -draw "roundrectangle 3,3 46,46 11,11" \
  -fill 'rgba(255,255,255,0.25)' -draw "polygon 3,30 46,14 46,46 3,46" \
  -fill none -stroke white -strokewidth 4 -draw "circle 24,23 24,12" \
  -stroke white -strokewidth 4 -draw "line 29,29 37,38" \
  -stroke none -font "$FONT" -pointsize 24 -fill "$INK" -gravity west -annotate +57-6 "青蓝工坊" \
  -pointsize 9 -fill "$GREY_TEXT" -annotate +59+15 "Q U I L L O R A" \
  PNG32:"$main/logo.png"

# ---- wide buttons 200x46 with their labels --------------------------------------------
pill() {  # file, colour, label, shade
  png -size 200x46 xc:none -fill "$2" -draw "roundrectangle 0,0 199,45 23,23" \
    -fill "rgba(255,255,255,$4)" -draw "roundrectangle 2,1 197,22 21,21" \
    -stroke none -font "$FONT" -pointsize 17 -fill white -gravity center -annotate +0+0 "$3" PNG32:"$1"
}
pill "$main/installBtn1.png" "$BLUE" "立即安装" 0.10
pill "$main/installBtn2.png" "$BLUE_HOT" "立即安装" 0.14
pill "$main/installBtn3.png" "$BLUE_PUSHED" "立即安装" 0.04
pill "$main/experienceBtn1.png" "$BLUE" "立即体验" 0.10
pill "$main/experienceBtn2.png" "$BLUE_HOT" "立即体验" 0.14
pill "$main/experienceBtn3.png" "$BLUE_PUSHED" "立即体验" 0.04

# ---- back button 64x30 ----------------------------------------------------------------
back() {  # file, background, ink
  png -size 64x30 xc:none -fill "$2" -draw "roundrectangle 0,0 63,29 6,6" \
    -fill none -stroke "$3" -strokewidth 2 -draw "polyline 15,9 9,15 15,21" \
    -stroke none -font "$FONT" -pointsize 14 -fill "$3" -gravity west -annotate +22+0 "返回" PNG32:"$1"
}
back "$main/backBtn1.png" 'rgba(0,0,0,0)' "$GREY_TEXT"
back "$main/backBtn2.png" "$BLUE_LIGHT" "$BLUE"
back "$main/backBtn3.png" '#D6E6FF' "$BLUE_PUSHED"

# ---- folder button 81x36 ----------------------------------------------------------------
for s in 1:"$BLUE" 2:"$BLUE_HOT" 3:"$BLUE_PUSHED"; do
  png -size 81x36 xc:none -fill "${s#*:}" -draw "roundrectangle 0,0 80,35 4,4" \
    -font "$FONT" -pointsize 15 -fill white -gravity center -annotate +0+0 "更改" PNG32:"$main/chDirBtn${s%%:*}.png"
done

# ---- install-folder edit frame 340x36 ----------------------------------------------------
png -size 340x36 xc:none -fill white -stroke "$LINE" -strokewidth 1 -draw "roundrectangle 0.5,0.5 339.5,35.5 4,4" \
  PNG32:"$main/installDirEdit.png"

# ---- check boxes 15x14 --------------------------------------------------------------------
png -size 15x14 xc:none -fill white -stroke '#AEB7C8' -strokewidth 1 -draw "roundrectangle 0.5,0.5 13.5,13.5 3,3" \
  PNG32:"$main/Cb1.png"
png -size 15x14 xc:none -fill "$BLUE" -stroke none -draw "roundrectangle 0,0 14,13 3,3" \
  -fill none -stroke white -strokewidth 1.8 -draw "polyline 3.5,7 6.2,9.7 11,4.2" PNG32:"$main/Cb2.png"

# ---- custom-install arrow 16x16 (palette PNGs) -------------------------------------------
png -size 16x16 xc:none -fill none -stroke "$GREY_TEXT" -strokewidth 1.6 -draw "polyline 4,6 8,10 12,6" PNG8:"$main/customeBtn1.png"
png -size 16x16 xc:none -fill none -stroke "$INK" -strokewidth 1.6 -draw "polyline 4,6 8,10 12,6" PNG8:"$main/customeBtn2.png"

# ---- hint bubble 120x36 --------------------------------------------------------------------
png -size 120x36 xc:none -fill 'rgba(40,42,67,0.92)' -draw "roundrectangle 0,0 119,28 6,6" \
  -draw "polygon 14,28 26,28 18,35" \
  -font "$FONT" -pointsize 12 -fill white -gravity north -annotate +0+6 "请先同意用户协议" PNG32:"$main/tipLbl.png"

# ---- finished tick 80x80 ---------------------------------------------------------------------
png -size 80x80 xc:none -fill "$BLUE_LIGHT" -draw "circle 40,40 40,1" -fill "$BLUE" -draw "circle 40,40 40,10" \
  -fill none -stroke white -strokewidth 5 -draw "polyline 26,41 36,51 55,31" PNG32:"$main/finished.png"

# ---- progress track and fill -------------------------------------------------------------------
png -size 410x8 xc:none -fill "$TRACK" -draw "roundrectangle 0,0 409,7 4,4" PNG32:"$main/installPrg1.png"
png -size 8x520 gradient:'#5AA2FF-#1675FE' -rotate -90 \
  \( -size 520x8 xc:none -fill white -draw "roundrectangle 0,0 519,7 4,4" \) -compose copy_opacity -composite \
  PNG32:"$main/installPrg2.png"

# A filled ring segment (annulus sector) with round ends: centre cx,cy, radius r, width w,
# from angle a to b (degrees, clockwise from east). Prints -draw arguments for the fill colour.
arc() {
  awk -v cx="$1" -v cy="$2" -v r="$3" -v w="$4" -v a="$5" -v b="$6" 'BEGIN {
    pi = atan2(0, -1); ro = r + w / 2; ri = r - w / 2; printf "polygon";
    for (d = a; d < b + 0.01; d += 2) printf " %.2f,%.2f", cx + ro * cos(d * pi / 180), cy + ro * sin(d * pi / 180);
    for (d = b; d > a - 0.01; d -= 2) printf " %.2f,%.2f", cx + ri * cos(d * pi / 180), cy + ri * sin(d * pi / 180);
    printf "\n";
    for (k = 0; k < 2; ++k) { d = k ? b : a; x = cx + r * cos(d * pi / 180); y = cy + r * sin(d * pi / 180);
      printf "circle %.2f,%.2f %.2f,%.2f\n", x, y, x + w / 2, y } }'
}
# -draw arguments for arc.
arcdraw() { local line; while IFS= read -r line; do printf -- '-draw\n%s\n' "$line"; done < <(arc "$@"); }

# ---- progress animation: 60 frames 156x156, a ring turning once -----------------------------------
for i in $(seq 0 59); do
  a=$((i * 6 - 90)); b=$((a + 110)); t=$((a + 200)); u=$((t + 30))
  mapfile -t head < <(arcdraw 78 78 64 10 $a $b)
  mapfile -t tail < <(arcdraw 78 78 64 6 $t $u)
  png -size 156x156 xc:none \
    -fill 'rgba(22,117,254,0.06)' -draw "circle 78,78 78,14" \
    -fill none -stroke "$TRACK" -strokewidth 10 -draw "circle 78,78 78,14" \
    -stroke none -fill "$BLUE" "${head[@]}" -fill "$BLUE_HOT" "${tail[@]}" \
    -stroke none -fill "$BLUE" -draw "roundrectangle 62,56 94,100 5,5" \
    -fill white -draw "polygon 70,74 86,74 78,86" -draw "rectangle 75,63 81,75" -draw "rectangle 68,90 88,93" \
    PNG32:"$anim/$(printf %03d "$i").png"
done
printf '@echo off\r\nrem Renames exported frames to the three-digit names the skin uses.\r\nsetlocal enabledelayedexpansion\r\nset n=0\r\nfor %%%%f in (frame*.png) do (\r\n  set "name=00!n!"\r\n  ren "%%%%f" "!name:~-3!.png"\r\n  set /a n+=1\r\n)\r\n' > "$anim/bat.bat"

# ---- title-bar buttons 24x24 ---------------------------------------------------------------------
glyph_min=(-fill none -strokewidth 1.6 -draw "line 7,12 17,12")
glyph_close=(-fill none -strokewidth 1.6 -draw "line 7.5,7.5 16.5,16.5" -draw "line 16.5,7.5 7.5,16.5")
button24() {  # file, background, ink, glyph...
  local f=$1 bg=$2 ink=$3; shift 3
  png -size 24x24 xc:none -fill "$bg" -stroke none -draw "roundrectangle 0,0 23,23 5,5" -stroke "$ink" "$@" PNG32:"$f"
}
button24 "$common/minbtn1.png" 'rgba(0,0,0,0)' "$GREY_TEXT" "${glyph_min[@]}"
button24 "$common/minbtn2.png" '#E4EAF4' "$INK" "${glyph_min[@]}"
button24 "$common/minbtn3.png" '#D2DBEA' "$INK" "${glyph_min[@]}"
button24 "$common/closebtn1.png" 'rgba(0,0,0,0)' "$GREY_TEXT" "${glyph_close[@]}"
button24 "$common/closebtn2.png" '#F25F5F' white "${glyph_close[@]}"
button24 "$common/closebtn3.png" '#D94848' white "${glyph_close[@]}"
glyph_close_m=(-fill none -strokewidth 1.4 -draw "line 8,8 16,16" -draw "line 16,8 8,16")
button24 "$common/closebtnM_1.png" 'rgba(0,0,0,0)' '#8A93A8' "${glyph_close_m[@]}"
button24 "$common/closebtnM_2.png" '#E4EAF4' "$INK" "${glyph_close_m[@]}"
button24 "$common/closebtnM_3.png" '#D2DBEA' "$INK" "${glyph_close_m[@]}"

# ---- tip icons 40x40 ------------------------------------------------------------------------------
png -size 40x40 xc:none -fill '#FF9F2E' -draw "circle 20,20 20,1" \
  -fill white -draw "roundrectangle 18,9 22,24 2,2" -draw "circle 20,30 20,32.3" PNG32:"$msg/icoWarn.png"
mapfile -t wave1 < <(arcdraw 20 27 14 2.6 225 315)
mapfile -t wave2 < <(arcdraw 20 27 8.5 2.6 225 315)
png -size 40x40 xc:none -fill "$BLUE" -draw "circle 20,20 20,1" -stroke none -fill white "${wave1[@]}" "${wave2[@]}" \
  -draw "circle 20,27 20,29.5" PNG32:"$msg/icoNetwork.png"
png -size 40x40 xc:none -fill "$BLUE" -draw "circle 20,20 20,1" \
  -font "$FONT" -pointsize 26 -fill white -gravity center -annotate +0+0 "?" PNG32:"$msg/icoQuest.png"

# ---- program icon (resource 145): 16, 32, 48 and 256 px -----------------------------------------------
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
png -size 256x256 xc:none -fill "$BLUE" -draw "roundrectangle 8,8 247,247 56,56" \
  -fill 'rgba(255,255,255,0.18)' -draw "polygon 8,170 247,80 247,247 8,247" \
  -fill none -stroke white -strokewidth 26 -draw "circle 124,120 124,58" \
  -draw "line 150,148 192,196" PNG32:"$tmp/icon256.png"
for s in 16 32 48; do convert "$tmp/icon256.png" -resize ${s}x${s} PNG32:"$tmp/icon$s.png"; done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$tmp/icon256.png" "$icon_out/quillora.ico"
echo "make-artwork: images in $out, icon in $icon_out/quillora.ico"
