#!/bin/sh
# Draws the editor's compiled-in icons and logos with ImageMagick.
# The generated files are kept in the repository, so building never needs ImageMagick;
# run this again after changing a drawing: sh img/images/draw_images.sh
set -eu
cd "$(dirname "$0")"

# One palette for everything: a deep blue for shapes, an orange accent, a red for record.
BLUE='#1f5f9e'
LIGHT='#6fa8dc'
ORANGE='#f08a24'
RED='#d0312d'
GREY='#44505c'
FONT=DejaVu-Sans-Bold

icon() { # icon NAME DRAW-ARGS... : a 64x64 transparent canvas with the given drawing operations
  name=$1; shift
  convert -size 64x64 xc:none "$@" -strip "PNG32:$name"
}

# The logo mark: a hexagon ring around a "V", drawn at any size; $2 rotates the ring.
logo_mark() { # logo_mark SIZE ANGLE OUT
  s=$1; a=$2; out=$3
  c=$(echo "$s / 2" | bc -l)
  r=$(echo "$s * 0.44" | bc -l)
  w=$(echo "$s * 0.07" | bc -l)
  pts=""
  for k in 0 1 2 3 4 5; do
    x=$(echo "$c + $r * c(($a + 60 * $k + 30) * 3.14159265 / 180)" | bc -l)
    y=$(echo "$c + $r * s(($a + 60 * $k + 30) * 3.14159265 / 180)" | bc -l)
    pts="$pts $(printf '%.2f,%.2f' "$x" "$y")"
  done
  vx1=$(echo "$s * 0.30" | bc -l); vy1=$(echo "$s * 0.30" | bc -l)
  vx2=$(echo "$s * 0.50" | bc -l); vy2=$(echo "$s * 0.72" | bc -l)
  vx3=$(echo "$s * 0.70" | bc -l)
  vw=$(echo "$s * 0.10" | bc -l)
  convert -size "${s}x${s}" xc:none \
    -fill none -stroke "$BLUE" -strokewidth "$w" -draw "stroke-linejoin round polygon $pts" \
    -stroke "$ORANGE" -strokewidth "$vw" \
    -draw "stroke-linecap round stroke-linejoin round polyline $vx1,$vy1 $vx2,$vy2 $vx3,$vy1" \
    -strip "PNG32:$out"
}

# Transport and zoom icons -------------------------------------------------------------------
icon VEXAPlay.png -fill "$BLUE" -draw "polygon 20,12 52,32 20,52"
icon VEXAPause.png -fill "$BLUE" -draw "roundrectangle 16,12 28,52 3,3" -draw "roundrectangle 36,12 48,52 3,3"
icon VEXAStop.png -fill "$BLUE" -draw "roundrectangle 14,14 50,50 4,4"
icon VEXARecord.png -fill "$RED" -draw "circle 32,32 32,12"
icon playDistributed.png -fill "$BLUE" -draw "polygon 10,10 40,28 10,46" \
  -stroke "$ORANGE" -strokewidth 3 -draw "line 44,40 54,52" -draw "line 44,40 34,52" -draw "line 44,40 44,30" \
  -stroke none -fill "$ORANGE" -draw "circle 44,40 44,35" -draw "circle 54,52 54,48" \
  -draw "circle 34,52 34,48" -draw "circle 56,28 56,24"

magnifier() { # magnifier NAME with-plus(1/0)
  name=$1; plus=$2
  if [ "$plus" = 1 ]; then sign='line 26,18 26,34'; else sign='point -10,-10'; fi
  convert -size 64x64 xc:none \
    -stroke "$BLUE" -strokewidth 6 -fill none -draw "circle 26,26 26,8" \
    -strokewidth 9 -draw "stroke-linecap round line 40,40 54,54" \
    -stroke "$ORANGE" -strokewidth 5 -draw "stroke-linecap round line 18,26 34,26" \
    -draw "stroke-linecap round $sign" -strip "PNG32:$name"
}
magnifier VEXAZoomIn.png 1
magnifier VEXAZoomOut.png 0

icon VEXACenter.png -fill none -stroke "$BLUE" -strokewidth 5 -draw "circle 32,32 32,14" \
  -strokewidth 4 -draw "line 32,4 32,18" -draw "line 32,46 32,60" -draw "line 4,32 18,32" -draw "line 46,32 60,32" \
  -stroke none -fill "$ORANGE" -draw "circle 32,32 32,26"

# A hook arrow: head on the left for undo; redo is its mirror image.
icon VEXAUndo.png -fill none -stroke "$BLUE" -strokewidth 6 \
  -draw "stroke-linecap round stroke-linejoin round path 'M 20,20 L 36,20 A 15,15 0 0 1 36,50 L 20,50'" \
  -stroke none -fill "$BLUE" -draw "polygon 4,20 22,7 22,33"
convert VEXAUndo.png -flop -strip PNG32:VEXARedo.png

icon VEXACamera.png -fill "$BLUE" -draw "roundrectangle 6,20 58,52 6,6" -draw "roundrectangle 22,12 42,24 3,3" \
  -fill white -draw "circle 32,36 32,24" -fill "$ORANGE" -draw "circle 32,36 32,29" \
  -fill "$LIGHT" -draw "rectangle 48,24 53,28"

# Panels and settings -------------------------------------------------------------------------
icon Down.png -fill none -stroke "$BLUE" -strokewidth 8 \
  -draw "stroke-linecap round stroke-linejoin round polyline 14,24 32,42 50,24"
icon expand.png -fill "$BLUE" -draw "roundrectangle 8,12 56,19 3,3" -draw "roundrectangle 8,28 56,35 3,3" \
  -draw "roundrectangle 8,44 56,51 3,3"

gear_teeth=""
for k in 0 45 90 135 180 225 270 315; do
  gear_teeth="$gear_teeth -draw \"push graphic-context translate 32,32 rotate $k roundrectangle -6,-29 6,-17 2,2 pop graphic-context\""
done
eval convert -size 64x64 xc:none -fill "'$BLUE'" "$gear_teeth" \
  -draw "'circle 32,32 32,11'" -fill none -stroke "'$ORANGE'" -strokewidth 5 -draw "'circle 32,32 32,24'" \
  -strip PNG32:Configure.png

sun_rays=""
for k in 0 45 90 135 180 225 270 315; do
  sun_rays="$sun_rays -draw \"push graphic-context translate 32,32 rotate $k line 0,-20 0,-29 pop graphic-context\""
done
eval convert -size 64x64 xc:none -fill none -stroke "'$ORANGE'" -strokewidth 5 -draw "'stroke-linecap round'" \
  "$sun_rays" -stroke none -fill "'#f5b82e'" -draw "'circle 32,32 32,17'" -strip PNG32:Sun.png

icon vexaHelp.png -fill "$BLUE" -draw "circle 32,32 32,4" \
  -fill white -font "$FONT" -pointsize 40 -gravity center -annotate +0+1 "?"

# Mesh display modes: one triangulated quad shown solid, as wire frame and as vertices ------------
MESH_TRIS="polygon 8,48 30,8 32,34 polygon 30,8 56,20 32,34 polygon 56,20 46,56 32,34 polygon 46,56 8,48 32,34"
icon meshFilled.png -fill "$LIGHT" -stroke "$BLUE" -strokewidth 2 -draw "stroke-linejoin round $MESH_TRIS"
icon meshLines.png -fill none -stroke "$BLUE" -strokewidth 3 -draw "stroke-linejoin round $MESH_TRIS"
icon meshPoints.png -fill "$BLUE" -draw "circle 8,48 8,43" -draw "circle 30,8 30,3" \
  -draw "circle 56,20 56,15" -draw "circle 46,56 46,51" -draw "circle 32,34 32,29"

# The range selector's drag arrow: a small upward triangle under the bar.
convert -size 12x12 xc:none -fill "$BLUE" -draw "polygon 6,0 11,11 0,11" -strip PNG32:triangle.png

# Logos ---------------------------------------------------------------------------------------
logo_mark 96 0 mark96.png
convert -size 300x100 xc:none mark96.png -geometry +2+2 -composite \
  -fill "$BLUE" -font "$FONT" -pointsize 64 -gravity west -annotate +108+2 "VEXA" \
  -strip PNG32:VEXA300.png

for sz in 16 24 32 48 64 128; do logo_mark "$sz" 0 "ico$sz.png"; done
convert ico16.png ico24.png ico32.png ico48.png ico64.png ico128.png vexa.ico

# The busy animation: the hexagon ring turns one sixth of a turn, which closes the loop seamlessly.
frames=""
for i in 0 1 2 3 4 5 6 7 8 9 10 11; do
  logo_mark 120 $((i * 5)) "frame$i.png"
  frames="$frames frame$i.png"
done
# shellcheck disable=SC2086
convert -delay 6 -dispose background $frames -loop 0 VEXA_logo_animation.gif

convert -size 360x90 xc:none \
  -fill "$ORANGE" -draw "polygon 6,14 70,14 30,76 6,76" -fill "$BLUE" -draw "polygon 76,14 76,76 12,76 52,14" \
  -fill "$GREY" -font "$FONT" -pointsize 62 -gravity west -annotate +92+2 "Zentrik" \
  -strip PNG32:logo_Zentrik.png

rm -f mark96.png ico*.png frame*.png
