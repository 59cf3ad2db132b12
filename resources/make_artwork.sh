#!/usr/bin/env bash
# Draws all of the program's artwork from nothing but ImageMagick 6 primitives
# and the WenQuanYi Micro Hei font: the caption-button strip, the six skins,
# the logo, the seven section icons and the program icon.  The strip, the logo
# and the section icons come at 1x, 1.5x and 2x (X.png, X@1.5x.png, X@2x.png),
# each drawn at its own size for displays scaled to 100 %, 150 % and 200 %.
# Deterministic: the noise is seeded and the PNG/JPEG writers are told to leave
# out time stamps, so running it twice gives byte-identical files.
#
#   resources/make_artwork.sh            (writes into the folder it lives in)
#
# Needs (Debian 12): imagemagick fonts-wqy-microhei
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${ARTWORK_OUT:-$here}
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# /usr/local/bin/convert may be a wrapper; go straight to ImageMagick's own.
if [[ -x /usr/bin/convert ]]; then
  im=/usr/bin/convert
else
  im=$(command -v convert || true)
fi
missing=()
if [[ -z $im ]] || ! "$im" -version 2>/dev/null | grep -q 'ImageMagick 6'; then
  missing+=(imagemagick)
fi
[[ -f $font ]] || missing+=(fonts-wqy-microhei)
if ((${#missing[@]})); then
  echo "make_artwork.sh: missing ${missing[*]}; install with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

# One thread: seeded noise must not depend on how work is split.
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Writers without time stamps or other per-run chunks.
png_out=(-strip -define 'png:exclude-chunks=date,time' -define png:color-type=6 -depth 8)
jpg_out=(-strip -colorspace sRGB -type TrueColor -quality 88 -sampling-factor 2x2 -interlace none)

mkdir -p "$out/skin/ico"

# Everything small is drawn S times larger and box-filtered down: edges on the
# S-pixel grid stay crisp, curves and diagonals come out antialiased.
S=4
shrink=(-filter Box -resize 25%)

# The small artwork is drawn once per scale, k halves of the 96-dpi size (2, 3
# and 4: 1x, 1.5x and 2x).  Shapes are written in 96-dpi units of U drawing
# pixels; layout edges (canvas sizes, cells, margins, one-pixel lines) are
# rounded to whole output pixels first, so they stay crisp at 1.5x too.
k=2 U=$S suffix=
# sc N: N 96-dpi pixels at this scale, in whole output pixels (halves round up).
sc() { echo $((($1 * k + 1) / 2)); }
# sf N: N at this scale exactly, as ImageMagick reads numbers ("3", "4.5").
sf() { awk -v n="$1" -v k="$k" 'BEGIN { printf "%g", n * k / 2 }'; }
# box X0 Y0 X1 Y1: the output pixels [X0,X1) x [Y0,Y1), as an MVG rectangle
# in drawing pixels.
box() { echo "rectangle $(($1 * S)),$(($2 * S)) $(($3 * S - 1)),$(($4 * S - 1))"; }

# ------------------------------------------------------------- caption strip
# Twelve cells of 19 rows: close (39 wide) then maximise, restore and minimise
# (28 wide), each as normal, hover, pressed, with one empty column after every
# cell.  Light glyphs with a soft dark shadow so they read on light and dark
# skins alike; the normal faces are almost clear glass.

# cap_face WIDTH STATE RED(0/1) FILE: the button face (WIDTH at 1x) at S
# times size.
cap_face() {
  local w=$1 state=$2 red=$3 file=$4
  local W=$(($(sc "$w") * S)) H=$(($(sc 19) * S)) r=$((3 * U)) t=$(($(sc 1) * S))
  # Flat top (the button hangs from the window edge), rounded bottom corners;
  # the first column stays empty so neighbouring buttons read as separate.
  # Edge and gloss lines are t wide: one pixel at 1x, whole pixels at any scale.
  local shape="roundrectangle $t,-$((4 * U)) $((W - 1)),$((H - 1)) $r,$r"
  local edge="roundrectangle $((t + t / 2)),-$((4 * U)) $((W - 1 - t / 2)),$((H - 1 - t / 2)) $r,$r"
  local inner="roundrectangle $((2 * t + t / 2)),$((t / 2)) $((W - 1 - t - t / 2)),$((H - 1 - t - t / 2)) $((r - t)),$((r - t))"
  local top bottom border gloss line
  case $state in
  normal)
    top='rgba(24,36,60,0.16)' bottom='rgba(24,36,60,0.10)'
    border='rgba(0,0,0,0.12)' gloss='rgba(255,255,255,0.10)' line='rgba(255,255,255,0.20)'
    ;;
  hover)
    if ((red)); then
      top='rgba(247,112,96,0.96)' bottom='rgba(214,50,38,0.96)' border='rgba(150,30,22,0.85)'
    else
      top='rgba(96,172,246,0.94)' bottom='rgba(34,116,214,0.94)' border='rgba(22,80,160,0.85)'
    fi
    gloss='rgba(255,255,255,0.30)' line='rgba(255,255,255,0.38)'
    ;;
  pressed)
    if ((red)); then
      top='rgba(150,28,20,0.97)' bottom='rgba(190,48,36,0.97)' border='rgba(110,20,14,0.9)'
    else
      top='rgba(22,78,156,0.96)' bottom='rgba(36,106,190,0.96)' border='rgba(14,56,118,0.9)'
    fi
    gloss='rgba(255,255,255,0.06)' line='rgba(0,0,0,0.22)'
    ;;
  esac
  "$im" -size "${W}x${H}" gradient:"$top-$bottom" \
    \( -size "${W}x${H}" xc:none -fill white -draw "$shape" \) -compose DstIn -composite \
    \( -size "${W}x$((H * 9 / 20))" gradient:"$gloss-rgba(255,255,255,0.02)" \
    -background none -gravity North -extent "${W}x${H}" \
    \( -size "${W}x${H}" xc:none -fill white -draw "$inner" \) -compose DstIn -composite \) \
    -compose Over -composite \
    -fill none -stroke "$line" -strokewidth $t -draw "$inner" \
    -stroke "$border" -draw "$edge" \
    "$file"
}

# cap_glyph KIND WIDTH FILE: the light glyph at S times size.  Window outlines
# have lines t wide and a title bar b high (one and two pixels at 1x).
cap_glyph() {
  local kind=$1 w=$2 file=$3
  local size="$(($(sc "$w") * S))x$(($(sc 19) * S))" t b
  t=$(sc 1) b=$(sc 2)
  case $kind in
  close)
    # A cross centred on the face (x 1..38), 8 px across, round ends.
    "$im" -size "$size" xc:none -stroke white -strokewidth $((U * 3 / 2)) \
      -draw "stroke-linecap round
             line $((16 * U)),$((U * 11 / 2)) $((24 * U)),$((U * 27 / 2))
             line $((24 * U)),$((U * 11 / 2)) $((16 * U)),$((U * 27 / 2))" "$file"
    ;;
  maximise)
    # One window: an 11 x 9 outline with a two-pixel title bar.
    local x0 y0 x1 y1
    x0=$(sc 9) y0=$(sc 5) x1=$(sc 20) y1=$(sc 14)
    "$im" -size "$size" xc:none -fill white -draw "$(box $x0 $y0 $x1 $y1)" \
      -fill black -draw "$(box $((x0 + t)) $((y0 + b)) $((x1 - t)) $((y1 - t)))" \
      -transparent black "$file"
    ;;
  restore)
    # Two windows: the back one peeks out above and to the right, the front
    # one is cleared a line wide around.
    local bx0 by0 bx1 by1 fx0 fy0 fx1 fy1
    bx0=$(sc 12) by0=$(sc 4) bx1=$(sc 21) by1=$(sc 12)
    fx0=$(sc 9) fy0=$(sc 7) fx1=$(sc 17) fy1=$(sc 15)
    "$im" -size "$size" xc:none -fill white -draw "$(box $bx0 $by0 $bx1 $by1)" \
      -fill black -draw "$(box $((bx0 + t)) $((by0 + t)) $((bx1 - t)) $((by1 - t)))" \
      -draw "$(box $((fx0 - t)) $fy0 $((fx1 + t)) $((fy1 + t)))" \
      -fill white -draw "$(box $fx0 $fy0 $fx1 $fy1)" \
      -fill black -draw "$(box $((fx0 + t)) $((fy0 + b)) $((fx1 - t)) $((fy1 - t)))" \
      -transparent black "$file"
    ;;
  minimise)
    local y0
    y0=$(sc 12)
    "$im" -size "$size" xc:none -fill white -draw "$(box $(sc 9) $y0 $(sc 20) $((y0 + b)))" "$file"
    ;;
  esac
}

# cap_cell KIND STATE EXTENT FILE: one finished cell, shrunk, plus its empty
# column(s) up to EXTENT output pixels.
cap_cell() {
  local kind=$1 state=$2 extent=$3 file=$4 w=28 red=0
  # Only the hovered and pressed close button turns red.
  if [[ $kind == close ]]; then w=39 red=1; fi
  cap_face $w "$state" $red "$tmp/face.png"
  cap_glyph "$kind" $w "$tmp/glyph.png"
  # A dark halo all round plus a drop shadow below keep the light glyph
  # legible on the palest skins.
  local shadow=0.6
  [[ $state == normal ]] && shadow=0.9
  "$im" "$tmp/face.png" \
    \( "$tmp/glyph.png" -fill '#0a1424' -colorize 100 -channel A -morphology Dilate Disk:$((U / 2)) \
    -evaluate multiply $shadow +channel -blur 0x$((U / 2)) \) -geometry +0+$((U / 4)) -compose Over -composite \
    \( "$tmp/glyph.png" -channel A -evaluate multiply 0.96 +channel \) -geometry +0+0 -composite \
    "${shrink[@]}" -background none -gravity West -extent "${extent}x$(sc 19)" "$file"
}

# The cells' left edges at 1x, then the strip's width.  At any scale a cell at
# x (width w) starts at sc(x) and is sc(w) wide, the strip sc(381).
cap_lefts=(0 40 80 120 149 178 207 236 265 294 323 352 381)
caption_strip() {
  local strip=() i=0 kind state
  for kind in close maximise restore minimise; do
    for state in normal hover pressed; do
      cap_cell $kind $state $(($(sc ${cap_lefts[i + 1]}) - $(sc ${cap_lefts[i]}))) "$tmp/cell-$kind-$state.png"
      strip+=("$tmp/cell-$kind-$state.png")
      i=$((i + 1))
    done
  done
  "$im" -background none "${strip[@]}" +append "${png_out[@]}" "$out/caption_buttons$suffix.png"
  echo "caption_buttons$suffix.png"
}

# --------------------------------------------------------------------- skins
# 800 x 600 each, shown at natural size behind a 715 x 552 window.  Widgets
# write black text over the icon bar (y 30-90), the genre panel and list
# (y 95-495) and the bottom row, so those stay light and calm.  The title
# comes out white when the image is dark at (10,10), (357,10) and (705,10),
# black otherwise; the band across the top is made dark or light to suit.
SW=800 SH=600

# skin_base TOP MID BOTTOM FILE: a soft vertical three-stop gradient.
skin_base() {
  "$im" -size "${SW}x$((SH / 2))" gradient:"$1-$2" \
    -size "${SW}x$((SH / 2))" gradient:"$2-$3" -append "$4"
}

# skin_band FILE LEFT RIGHT LINE: the caption band across the top, 26 rows of
# a horizontal gradient with a fine light line and a soft shadow under it.
skin_band() {
  local file=$1 left=$2 right=$3 line=$4
  "$im" -size 26x${SW} gradient:"$right-$left" -rotate 90 \
    \( -size ${SW}x13 gradient:'rgba(255,255,255,0.10)-rgba(255,255,255,0)' \
    -background none -extent ${SW}x26 \) -compose Over -composite \
    -background none -extent ${SW}x34 \
    -fill "$line" -draw "rectangle 0,26 $((SW - 1)),26" \
    \( -size ${SW}x7 gradient:'rgba(0,0,0,0.14)-rgba(0,0,0,0)' \) -geometry +0+27 -composite \
    "$file"
}

# skin_grain SEED AMOUNT FILE: mid-grey seeded noise for a faint paper grain;
# AMOUNT is the contrast kept, in percent (1.5 is barely there).
skin_grain() {
  local lo hi
  lo=$(awk -v a="$2" 'BEGIN { print 50 - a * 5 }')
  hi=$(awk -v a="$2" 'BEGIN { print 50 + a * 5 }')
  "$im" -size ${SW}x${SH} xc:gray50 -seed "$1" -attenuate 1 +noise Gaussian \
    -colorspace Gray -blur 0x0.6 +level "${lo}%,${hi}%" -colorspace sRGB "$3"
}

# skin_finish BASE BAND SEED GRAIN NAME: band over base, grain added, saved.
skin_finish() {
  skin_grain "$3" "$4" "$tmp/grain.png"
  "$im" "$1" "$2" -geometry +0+0 -compose Over -composite \
    "$tmp/grain.png" -compose Mathematics -define compose:args=0,1,1,-0.5 -composite \
    "${jpg_out[@]}" "$out/skin/$5"
  echo "skin/$5"
}

# skin_waves FILE FILL1 FILL2 FILL3: three soft translucent waves rolling
# along the bottom edge, under the bottom text row.
skin_waves() {
  "$im" -size ${SW}x${SH} xc:none \
    -fill "$2" -draw 'path "M 0,520 C 180,470 360,575 560,520 S 760,470 800,490 L 800,600 L 0,600 Z"' \
    -fill "$3" -draw 'path "M 0,560 C 220,515 420,600 620,548 S 770,520 800,530 L 800,600 L 0,600 Z"' \
    -fill "$4" -draw 'path "M 0,585 C 250,555 450,610 800,565 L 800,600 L 0,600 Z"' \
    -blur 0x1.5 "$1"
}

# 1.jpg, the start-up skin: a fresh sea-and-sky morning, deep teal caption
# band (white title), light beams, bokeh circles and waves at the bottom.
skin_base '#c6e9f1' '#eefafb' '#e0f4f4' "$tmp/base.png"
skin_waves "$tmp/waves.png" 'rgba(120,205,215,0.22)' 'rgba(255,255,255,0.45)' 'rgba(90,190,200,0.18)'
"$im" "$tmp/base.png" \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(140,215,225,0.55)' -draw 'ellipse 90,590 260,170 0,360' \
  -fill 'rgba(160,205,240,0.50)' -draw 'ellipse 760,140 220,150 0,360' \
  -fill 'rgba(255,255,255,0.70)' -draw 'ellipse 430,320 330,210 0,360' \
  -blur 0x60 \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none -fill 'rgba(255,255,255,0.26)' \
  -draw 'polygon 0,30 120,30 420,600 250,600' \
  -draw 'polygon 170,30 230,30 600,600 520,600' \
  -draw 'polygon 300,30 330,30 760,600 720,600' \
  -blur 0x18 \) -composite \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(255,255,255,0.30)' -stroke 'rgba(255,255,255,0.50)' -strokewidth 1.5 \
  -draw 'circle 560,120 600,120' -draw 'circle 640,70 662,70' -draw 'circle 700,160 716,160' \
  -draw 'circle 470,60 484,60' -draw 'circle 60,430 95,430' -draw 'circle 120,490 140,490' \
  -fill 'rgba(255,255,255,0.12)' -stroke 'rgba(255,255,255,0.22)' \
  -draw 'circle 330,250 360,250' -draw 'circle 620,400 668,400' -draw 'circle 250,430 268,430' \
  -blur 0x1.2 \) -composite \
  "$tmp/waves.png" -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#0e4a66' '#1a7d9a' 'rgba(255,255,255,0.45)'
skin_finish "$tmp/base.png" "$tmp/band.png" 101 1.5 1.jpg

# 2.jpg "蓝色背景": cool blue, navy caption band (white title), fine diagonal
# pinstripes and large soft glass panes.
"$im" -size 8x8 xc:none -fill 'rgba(40,90,160,0.05)' -draw 'line 0,7 7,0' "$tmp/tile.png"
skin_base '#cfe1f5' '#edf4fc' '#d9e7f6' "$tmp/base.png"
"$im" "$tmp/base.png" \
  \( -size ${SW}x${SH} xc:none -tile "$tmp/tile.png" -draw 'color 0,0 reset' +tile \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(120,170,230,0.45)' -draw 'ellipse 780,600 300,200 0,360' \
  -fill 'rgba(150,190,240,0.40)' -draw 'ellipse 0,60 220,160 0,360' \
  -fill 'rgba(255,255,255,0.75)' -draw 'ellipse 420,300 320,200 0,360' \
  -blur 0x60 \) -composite \
  \( -size ${SW}x${SH} xc:none -fill 'rgba(255,255,255,0.28)' \
  -draw 'polygon 520,30 640,30 360,600 240,600' \
  -fill 'rgba(255,255,255,0.20)' -draw 'polygon 680,30 720,30 440,600 400,600' \
  -fill 'rgba(60,120,200,0.07)' -draw 'polygon 760,30 800,30 800,600 520,600' \
  -blur 0x3 \) -composite \
  \( -size ${SW}x${SH} xc:none -fill none -stroke 'rgba(255,255,255,0.40)' -strokewidth 2 \
  -draw 'circle 800,600 960,600' -draw 'circle 800,600 920,600' -draw 'circle 800,600 880,600' \
  -draw 'circle 0,30 120,30' -draw 'circle 0,30 80,30' -blur 0x0.8 \) -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#0c2650' '#1b4f8f' 'rgba(255,255,255,0.40)'
skin_finish "$tmp/base.png" "$tmp/band.png" 202 1.5 2.jpg

# 3.jpg "红色背景": warm rose, crimson caption band (white title), a faint
# diamond lattice and silk ribbons in the corners.
"$im" -size 24x24 xc:none -fill none -stroke 'rgba(170,40,60,0.06)' -strokewidth 1 \
  -draw 'polygon 12,0 24,12 12,24 0,12' "$tmp/tile.png"
skin_base '#f7d9dc' '#fdf2f1' '#f6dfde' "$tmp/base.png"
"$im" "$tmp/base.png" \
  \( -size ${SW}x${SH} xc:none -tile "$tmp/tile.png" -draw 'color 0,0 reset' +tile \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(235,140,150,0.45)' -draw 'ellipse 0,600 260,200 0,360' \
  -fill 'rgba(240,170,160,0.45)' -draw 'ellipse 800,80 240,160 0,360' \
  -fill 'rgba(255,250,248,0.80)' -draw 'ellipse 430,310 330,210 0,360' \
  -blur 0x60 \) -composite \
  \( -size ${SW}x${SH} xc:none -fill none -strokewidth 26 \
  -stroke 'rgba(200,50,70,0.10)' -draw 'path "M -40,420 C 80,380 120,520 260,600"' \
  -stroke 'rgba(255,255,255,0.35)' -draw 'path "M -40,470 C 100,430 140,560 300,640"' \
  -stroke 'rgba(200,50,70,0.08)' -draw 'path "M 560,30 C 640,120 720,60 840,140"' \
  -stroke 'rgba(255,255,255,0.35)' -draw 'path "M 600,30 C 680,150 740,100 840,190"' \
  -blur 0x6 \) -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#6a0d1b' '#a5202f' 'rgba(255,230,230,0.45)'
skin_finish "$tmp/base.png" "$tmp/band.png" 303 1.5 3.jpg

# 4.jpg "黄色背景": sunny cream, honey caption band (light: black title),
# sun rays from the top-left corner and a few faint polka dots.
rays=""
for a in $(seq 0 12 84); do
  rays+=" polygon 0,0 $(awk -v a="$a" 'BEGIN { r = 1200; p = 3.14159265 / 180;
    printf "%.1f,%.1f %.1f,%.1f", r * cos(a * p), r * sin(a * p), r * cos((a + 5) * p), r * sin((a + 5) * p) }')"
done
"$im" -size 40x40 xc:none -fill 'rgba(230,160,30,0.07)' -draw 'circle 10,10 13,10' -draw 'circle 30,30 33,30' "$tmp/tile.png"
skin_base '#fdefc0' '#fff9e8' '#fdf0cd' "$tmp/base.png"
"$im" "$tmp/base.png" \
  \( -size ${SW}x${SH} xc:none -fill 'rgba(255,255,255,0.45)' -draw "$rays" -blur 0x4 \
  \( -size ${SW}x${SH} radial-gradient:'rgba(255,255,255,1)-rgba(255,255,255,0)' -gravity NorthWest \
  -resize 200% -crop ${SW}x${SH}+${SW}+${SH} +repage \) -compose DstIn -composite \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none -tile "$tmp/tile.png" -draw 'color 0,0 reset' +tile \
  \( -size ${SW}x${SH} gradient:'rgba(255,255,255,0)-rgba(255,255,255,1)' \) -compose DstIn -composite \) \
  -compose Over -composite \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(255,190,90,0.40)' -draw 'ellipse 800,600 300,210 0,360' \
  -fill 'rgba(255,220,120,0.40)' -draw 'ellipse 0,560 200,150 0,360' \
  -fill 'rgba(255,255,250,0.70)' -draw 'ellipse 440,320 320,200 0,360' \
  -blur 0x60 \) -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#f3b73a' '#f8d46e' 'rgba(255,255,255,0.55)'
skin_finish "$tmp/base.png" "$tmp/band.png" 404 1.5 4.jpg

# 5.jpg "白色背景": clean white paper, silver caption band (black title),
# folded-paper facets in the corners and a fine linen texture.
skin_base '#f3f5f8' '#fdfdfe' '#f1f3f6' "$tmp/base.png"
"$im" -size ${SW}x${SH} xc:gray50 -seed 505 -attenuate 1 +noise Gaussian -colorspace Gray \
  -motion-blur 0x10+0 +level 47%,53% "$tmp/linen1.png"
"$im" -size ${SW}x${SH} xc:gray50 -seed 506 -attenuate 1 +noise Gaussian -colorspace Gray \
  -motion-blur 0x10+90 +level 47%,53% "$tmp/linen2.png"
"$im" "$tmp/base.png" \
  "$tmp/linen1.png" -compose Mathematics -define compose:args=0,1,1,-0.5 -composite \
  "$tmp/linen2.png" -composite \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(120,130,150,0.08)' -draw 'polygon 800,250 800,600 400,600' \
  -fill 'rgba(120,130,150,0.06)' -draw 'polygon 800,330 590,600 800,600' \
  -fill 'rgba(255,255,255,0.70)' -draw 'polygon 800,190 800,250 400,600 330,600' \
  -fill 'rgba(120,130,150,0.06)' -draw 'polygon 0,30 250,30 0,210' \
  -fill 'rgba(120,130,150,0.04)' -draw 'polygon 0,30 130,30 0,330' \
  -fill 'rgba(120,130,150,0.05)' -draw 'polygon 0,420 0,600 210,600' \
  -blur 0x0.7 \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none -fill 'rgba(150,160,175,0.20)' -draw 'ellipse 800,600 240,160 0,360' \
  -fill 'rgba(255,255,255,0.80)' -draw 'ellipse 400,300 330,220 0,360' -blur 0x60 \) -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#e9edf2' '#d7dde5' 'rgba(255,255,255,0.90)'
skin_finish "$tmp/base.png" "$tmp/band.png" 505 1.0 5.jpg

# 6.jpg "可爱背景": candy pastels (black title), clouds along the bottom and
# hearts, stars and bubbles scattered round the edges; the few that fall
# behind the list are kept very faint.
heart='path "M 0,-0.25 C 0,-0.4 -0.2,-0.5 -0.32,-0.47 C -0.47,-0.43 -0.5,-0.25 -0.45,-0.12
  C -0.38,0.06 -0.15,0.22 0,0.38 C 0.15,0.22 0.38,0.06 0.45,-0.12
  C 0.5,-0.25 0.47,-0.43 0.32,-0.47 C 0.2,-0.5 0,-0.4 0,-0.25 Z"'
star='polygon 0,-1 0.247,-0.34 0.951,-0.309 0.399,0.13 0.588,0.809 0,0.42 -0.588,0.809 -0.399,0.13 -0.951,-0.309 -0.247,-0.34'
cloud='circle -0.34,0.04 -0.34,-0.18 circle -0.04,-0.06 -0.04,-0.38 circle 0.28,0.02 0.28,-0.23 circle 0.5,0.12 0.5,-0.04 roundrectangle -0.62,0 0.66,0.3 0.15,0.15'
# shape KIND X Y SIZE ANGLE COLOUR: one shape as a small MVG block.
shape() {
  local body
  case $1 in heart) body=$heart ;; star) body=$star ;; cloud) body=$cloud ;; esac
  echo "push graphic-context translate $2,$3 rotate $5 scale $4,$4 fill $6 stroke none $body pop graphic-context"
}
# bubble X Y R ALPHA: a soap bubble with a rim and a glint.
bubble() {
  awk -v x="$1" -v y="$2" -v r="$3" -v a="$4" 'BEGIN {
    printf "fill rgba(255,255,255,%.2f) stroke rgba(255,255,255,%.2f) stroke-width 2 circle %d,%d %d,%d ", a * 0.35, a, x, y, x + r, y
    printf "fill rgba(255,255,255,%.2f) stroke none ellipse %d,%d %d,%d 0,360 ", a * 1.2, x - r * 0.4, y - r * 0.4, r * 0.25, r * 0.15 }'
}
# Only x < 715 and y < 552 is ever seen; the genre columns leave gaps at
# x 53-97, the bottom row free spots at x 0-145 and 385-445.
decor="$(shape heart 75 148 30 -12 'rgba(255,120,160,0.40)')
$(shape heart 75 330 22 10 'rgba(255,130,170,0.35)')
$(shape heart 684 300 40 14 'rgba(255,120,160,0.22)')
$(shape heart 440 215 38 -8 'rgba(255,130,170,0.12)')
$(shape heart 610 465 28 10 'rgba(255,130,170,0.18)')
$(shape heart 415 512 18 -10 'rgba(255,120,160,0.55)')
$(shape star 75 240 12 0 'rgba(255,195,60,0.60)')
$(shape star 75 455 10 15 'rgba(255,195,60,0.55)')
$(shape star 30 510 10 -8 'rgba(255,190,60,0.65)')
$(shape star 120 508 7 12 'rgba(255,190,60,0.60)')
$(shape star 660 410 16 20 'rgba(255,190,60,0.28)')
$(shape star 300 350 18 8 'rgba(255,195,60,0.14)')
$(shape star 560 140 14 -6 'rgba(255,195,60,0.18)')
$(shape star 691 200 10 0 'rgba(255,190,60,0.35)')
$(bubble 75 395 14 0.85) $(bubble 70 195 7 0.85) $(bubble 690 140 18 0.55)
$(bubble 380 440 30 0.30) $(bubble 520 290 20 0.30) $(bubble 84 515 8 0.9)"
skin_base '#fcdbe9' '#fff3f8' '#e6f0fd' "$tmp/base.png"
"$im" "$tmp/base.png" \
  \( -size ${SW}x${SH} xc:none \
  -fill 'rgba(200,170,255,0.45)' -draw 'ellipse 800,120 260,200 0,360' \
  -fill 'rgba(160,230,210,0.45)' -draw 'ellipse 0,330 200,180 0,360' \
  -fill 'rgba(255,250,252,0.75)' -draw 'ellipse 430,300 320,200 0,360' \
  -blur 0x60 \) -compose Over -composite \
  \( -size ${SW}x${SH} xc:none -draw "$decor" -blur 0x0.6 \) -composite \
  \( -size ${SW}x${SH} xc:none -fill white \
  -draw "$(shape cloud 80 545 120 0 white) $(shape cloud 290 565 100 0 white)
         $(shape cloud 500 548 130 0 white) $(shape cloud 720 560 110 0 white)" \
  -blur 0x2 -channel A -evaluate multiply 0.75 +channel \
  \( +clone -background 'rgba(170,150,220,0.6)' -shadow 60x6+0+3 \) +swap \
  -background none -layers merge +repage \) -composite \
  "$tmp/base.png"
skin_band "$tmp/band.png" '#f7b3cd' '#d9c2f2' 'rgba(255,255,255,0.70)'
skin_finish "$tmp/base.png" "$tmp/band.png" 606 1.2 6.jpg

# ---------------------------------------------------------------------- logo
# 206 x 63: an orange gamepad and the name on two lines, "Zentori" in a blue
# gradient with a white rim, "网页游戏盒子" in slate with a white glow, all
# over a soft shadow so it reads on dark and light skins.
LW=206 LH=63
pad='path "M 16,17 L 42,17 C 50,17 54,25 55,33 C 56,42 53,48 48,47 C 44,46 42,41 38,38.5
  L 20,38.5 C 16,41 14,46 10,47 C 5,48 2,42 3,33 C 4,25 8,17 16,17 Z"'
logo() {
  local lsize="$(($(sc $LW) * S))x$(($(sc $LH) * S))"
  local fit="scale $U,$U translate 39,31.5 scale 1.06,1.06 translate -29,-32.5"
  "$im" -size "$lsize" xc:none -draw "$fit fill white $pad" "$tmp/padmask.png"
  "$im" -size "$lsize" gradient:'#ffb74a-#f0502a' -alpha set "$tmp/padmask.png" -compose DstIn -composite \
    \( -size "$lsize" xc:none -draw "$fit fill rgba(255,255,255,0.35) ellipse 29,22 20,5 0,360" \
    "$tmp/padmask.png" -compose DstIn -composite \) -compose Over -composite \
    -draw "$fit fill none stroke white stroke-width 1.8 stroke-linejoin round $pad
           stroke none fill white roundrectangle 13.4,23 16.6,35 0.8,0.8 roundrectangle 9,27.4 21,30.6 0.8,0.8
           fill #ffe04d circle 43,24.6 43,26.9  fill #49d17a circle 47.4,29 47.4,31.3
           fill #4aa8ff circle 43,33.4 43,35.7  fill #ff4f7a circle 38.6,29 38.6,31.3
           fill rgba(120,40,10,0.35) roundrectangle 25,30 28,31.8 0.9,0.9 roundrectangle 30,30 33,31.8 0.9,0.9" \
    "$tmp/pad.png"
  local name1=(-font "$font" -pointsize $((38 * U)))
  "$im" -size "$lsize" xc:none "${name1[@]}" -fill white -stroke white -strokewidth $((3 * U)) \
    -annotate +$((71 * U))+$((36 * U)) 'Zentori' "$tmp/name1-rim.png"
  "$im" -size "$lsize" gradient:'#45b3ff-#1456b8' -alpha set \
    \( -size "$lsize" xc:none "${name1[@]}" -fill white -stroke white -strokewidth "$(sf 3)" \
    -annotate +$((71 * U))+$((36 * U)) 'Zentori' \) -compose DstIn -composite "$tmp/name1.png"
  "$im" -size "$lsize" xc:none -font "$font" -pointsize $((17 * U)) -kerning "$(sf 11)" \
    -fill '#2d3f55' -stroke '#2d3f55' -strokewidth "$(sf 1)" -annotate +$((73 * U))+$((55 * U)) '网页游戏盒子' \
    "$tmp/name2.png"
  "$im" "$tmp/name2.png" -channel A -morphology Dilate Disk:$((U * 3 / 2)) -blur 0x$U +channel \
    -fill white -colorize 100 "$tmp/name2-glow.png"
  "$im" "$tmp/pad.png" "$tmp/name1-rim.png" -compose Over -composite "$tmp/name2-glow.png" -composite \
    -fill '#0a1830' -colorize 100 -channel A -evaluate multiply 0.45 -blur 0x$((U * 3 / 2)) +channel \
    "$tmp/shadow.png"
  "$im" -size "$lsize" xc:none "$tmp/shadow.png" -geometry +0+$U -compose Over -composite \
    "$tmp/name2-glow.png" -geometry +0+0 -composite "$tmp/name1-rim.png" -composite \
    "$tmp/name1.png" -composite "$tmp/name2.png" -composite "$tmp/pad.png" -composite \
    "${shrink[@]}" "${png_out[@]}" "$out/skin/logo$suffix.png"
  echo "skin/logo$suffix.png"
}

# --------------------------------------------------------------------- icons
# 32 x 32 section icons, one family: the same navy ink outline two pixels wide,
# flat fills from one palette lit from above, a faint white halo and shadow.
# Shapes are written in 32-pixel units and drawn at S times size.  Markers in
# the shape text, rewritten for the fill pass and the ink pass:
#   @fill(C)  a filled shape with an ink outline
#   @ink      a shape filled with ink
#   @line     an ink stroke only
#   @hi(C)    a detail painted over the ink in colour C
ink='#26354d'
declare -A icons
icons[home]='
  @fill(#ffb547) polygon 20,5 24,5 24,11.1 20,7.5
  @fill(#fdf6e8) rectangle 7,14 25,28
  @fill(#4a9ef0) path "M 13,28 L 13,21 Q 13,19.5 14.5,19.5 L 17.5,19.5 Q 19,19.5 19,21 L 19,28 Z"
  @fill(#f2605c) polygon 16,4 29,15.5 3,15.5
  @hi(#ffffff) circle 17.6,24 17.6,23.1'
icons[calendar]='
  @fill(#fdfdfd) roundrectangle 4,7 28,28 3,3
  @fill(#f2605c) path "M 4,13.5 L 4,10 Q 4,7 7,7 L 25,7 Q 28,7 28,10 L 28,13.5 Z"
  @ink roundrectangle 9.5,3.5 12.5,10 1.5,1.5
  @ink roundrectangle 19.5,3.5 22.5,10 1.5,1.5
  @hi(#4a9ef0) rectangle 8,17 11,19.5 rectangle 14.5,17 17.5,19.5 rectangle 21,17 24,19.5
  @hi(#4a9ef0) rectangle 8,22 11,24.5 rectangle 14.5,22 17.5,24.5
  @hi(#ffa630) rectangle 21,22 24,24.5'
icons[folder]='
  @fill(#f0a93a) path "M 3,26 L 3,9 Q 3,7 5,7 L 12,7 L 15,10 L 27,10 Q 29,10 29,12 L 29,26 Q 29,28 27,28 L 5,28 Q 3,28 3,26 Z"
  @fill(#ffd24a) path "M 3,27 L 6,16 Q 6.5,14.5 8,14.5 L 29.5,14.5 Q 31,14.5 30.5,16 L 27.5,26.5 Q 27,28 25.5,28 L 4,28 Q 2.8,28 3,27 Z"
  @hi(#fff3c4) rectangle 8,17.5 26,18.5'
icons[tag]='
  push graphic-context translate 13.9,13.9 rotate 45 translate -16,-16
  @fill(#48c78e) path "M 4,16 L 10.5,9 L 25,9 Q 27,9 27,11 L 27,21 Q 27,23 25,23 L 10.5,23 Z"
  @fill(#fdfdfd) circle 11.5,16 11.5,13.8
  @hi(#e7fff2) rectangle 15.5,12 24,13.4
  @hi(#e7fff2) rectangle 15.5,15.3 21,16.7
  pop graphic-context'
icons[user]='
  @fill(#4a9ef0) path "M 5,28 L 5,25 Q 5,18.5 12,18.5 L 20,18.5 Q 27,18.5 27,25 L 27,28 Z"
  @fill(#ffd9a8) circle 16,11 16,4.5
  @hi(#ffffff) path "M 12.5,18.5 L 16,23.5 L 19.5,18.5 Z"
  @line path "M 12.5,18.5 L 16,23.5 L 19.5,18.5"'
icons[comment]='
  @fill(#a57cf0) path "M 8,5.5 L 24,5.5 Q 28,5.5 28,9.5 L 28,18 Q 28,22 24,22 L 15,22 L 8.5,27.5 L 9.5,22 L 8,22 Q 4,22 4,18 L 4,9.5 Q 4,5.5 8,5.5 Z"
  @hi(#ffffff) circle 10.5,14 10.5,12.2 circle 16,14 16,12.2 circle 21.5,14 21.5,12.2'
icons[package]='
  @fill(#ffd28a) polygon 16,4 28,10 16,16 4,10
  @fill(#f0a544) polygon 4,10 16,16 16,29 4,23
  @fill(#d9862b) polygon 16,16 28,10 28,23 16,29
  @hi(#fff4dc) polygon 8.6,7.6 11.4,6.3 23.4,12.3 20.6,13.6
  @hi(#ffe2b0) polygon 20.6,13.6 23.4,12.3 23.4,19.5 20.6,20.9
  @line polygon 16,4 28,10 16,16 4,10'

# icon NAME: render skin/ico/NAME.png (at this scale) from ${icons[NAME]}.
icon() {
  local name=$1 text=${icons[$1]}
  local sz="$(($(sc 32) * S))x$(($(sc 32) * S))"
  local pre="scale $U,$U stroke-linejoin round stroke-linecap round stroke-width 2"
  local fills lines
  fills=$(sed -E 's/@fill\(([^)]*)\)/fill \1 stroke none/g; s/@ink|@line|@hi\([^)]*\)/fill none stroke none/g' <<<"$text")
  lines=$(sed -E "s/@fill\([^)]*\)/fill none stroke $ink/g; s/@ink/fill $ink stroke none/g;
    s/@line/fill none stroke $ink/g; s/@hi\(([^)]*)\)/fill \1 stroke none/g" <<<"$text")
  # Fills, lit from above, then the ink and details on top.
  "$im" -size "$sz" xc:none -draw "$pre $fills" \
    \( -size "$sz" gradient:'rgba(255,255,255,0.30)-rgba(0,0,0,0.10)' \) -compose Atop -composite \
    -compose Over -draw "$pre $lines" "$tmp/icon.png"
  "$im" -size "$sz" xc:none \
    \( "$tmp/icon.png" -channel A -morphology Dilate Disk:$((U * 3 / 2)) -evaluate multiply 0.55 \
    -blur 0x$U +channel -fill white -colorize 100 \) -compose Over -composite \
    \( "$tmp/icon.png" -fill '#0a1830' -colorize 100 -channel A -evaluate multiply 0.30 \
    -blur 0x$U +channel \) -geometry +0+$U -composite \
    "$tmp/icon.png" -geometry +0+0 -composite \
    "${shrink[@]}" "${png_out[@]}" "$out/skin/ico/$name$suffix.png"
  echo "skin/ico/$name$suffix.png"
}

# ------------------------------------------------------- small artwork, drawn
# The strip, the logo and the icons at 1x, 1.5x and 2x.
for k in 2 3 4; do
  U=$((S * k / 2))
  case $k in 2) suffix= ;; 3) suffix=@1.5x ;; 4) suffix=@2x ;; esac
  caption_strip
  logo
  for name in home calendar folder tag user comment package; do
    icon $name
  done
done

# ------------------------------------------------------------- program icon
# zentori.ico: the logo's orange gamepad on a rounded tile in the blue of the
# logo's "Zentori", drawn once at 256 x 256 (S times larger) and shrunk to
# every size Windows asks for: 256 (PNG-compressed), 128, 64, 48, 32, 24, 16.
IS=256 IM_=$((256 * S))
isize="${IM_}x${IM_}"
tile="roundrectangle $((10 * S)),$((10 * S)) $((IM_ - 1 - 10 * S)),$((IM_ - 1 - 10 * S)) $((52 * S)),$((52 * S))"
tile_rim="roundrectangle $((13 * S)),$((13 * S)) $((IM_ - 1 - 13 * S)),$((IM_ - 1 - 13 * S)) $((49 * S)),$((49 * S))"
ifit="scale $S,$S translate 128,140 scale 3.75,3.75 translate -29,-32.5"
"$im" -size "$isize" xc:none -fill white -draw "$tile" "$tmp/tilemask.png"
"$im" -size "$isize" gradient:'#45b3ff-#1456b8' -alpha set "$tmp/tilemask.png" -compose DstIn -composite \
  \( -size "${IM_}x$((IM_ / 2))" gradient:'rgba(255,255,255,0.30)-rgba(255,255,255,0)' \
  -background none -extent "$isize" "$tmp/tilemask.png" -compose DstIn -composite \) -compose Over -composite \
  -fill none -stroke 'rgba(255,255,255,0.55)' -strokewidth $((3 * S)) -draw "$tile_rim" \
  "$tmp/tile.png"
"$im" -size "$isize" xc:none -draw "$ifit fill white $pad" "$tmp/ipadmask.png"
"$im" -size "$isize" gradient:'#ffb74a-#f0502a' -alpha set "$tmp/ipadmask.png" -compose DstIn -composite \
  \( -size "$isize" xc:none -draw "$ifit fill rgba(255,255,255,0.35) ellipse 29,22 20,5 0,360" \
  "$tmp/ipadmask.png" -compose DstIn -composite \) -compose Over -composite \
  -draw "$ifit fill none stroke white stroke-width 1.8 stroke-linejoin round $pad
         stroke none fill white roundrectangle 13.4,23 16.6,35 0.8,0.8 roundrectangle 9,27.4 21,30.6 0.8,0.8
         fill #ffe04d circle 43,24.6 43,26.9  fill #49d17a circle 47.4,29 47.4,31.3
         fill #4aa8ff circle 43,33.4 43,35.7  fill #ff4f7a circle 38.6,29 38.6,31.3
         fill rgba(120,40,10,0.35) roundrectangle 25,30 28,31.8 0.9,0.9 roundrectangle 30,30 33,31.8 0.9,0.9" \
  "$tmp/ipad.png"
"$im" "$tmp/ipadmask.png" -fill '#0a1830' -colorize 100 -channel A -evaluate multiply 0.45 \
  -blur 0x$((3 * S)) +channel "$tmp/ishadow.png"
"$im" "$tmp/tile.png" "$tmp/ishadow.png" -geometry +0+$((4 * S)) -compose Over -composite \
  "$tmp/ipad.png" -geometry +0+0 -composite "$tmp/icon-master.png"
ico_parts=()
for size in 256 128 64 48 32 24 16; do
  "$im" "$tmp/icon-master.png" -filter Lanczos -resize "${size}x${size}" "${png_out[@]}" "$tmp/icon-$size.png"
  ico_parts+=("$tmp/icon-$size.png")
done
"$im" "${ico_parts[@]}" "$out/zentori.ico"
echo "zentori.ico"
