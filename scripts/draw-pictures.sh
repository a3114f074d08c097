#!/usr/bin/env bash
# Draws the window's pictures into resources/pictures/ with ImageMagick.
# The PNG files are kept in the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources/pictures"
convert=/usr/bin/convert

# The computer: a monitor with a blue screen on a stand.
$convert -size 48x48 xc:none -fill '#5a6170' -draw 'roundrectangle 3,4 44,34 3,3' \
  -fill '#3b8fd9' -draw 'rectangle 6,7 41,30' -fill '#8cc4f0' -draw 'polygon 6,7 24,7 6,22' \
  -fill '#5a6170' -draw 'rectangle 20,35 27,40' -fill '#7b8291' -draw 'roundrectangle 11,40 36,44 2,2' \
  pc.png

# The handheld: a wide dark body, a screen, a d-pad and four buttons.
$convert -size 52x48 xc:none -fill '#2b2e36' -draw 'roundrectangle 1,12 50,36 11,11' \
  -fill '#111318' -draw 'rectangle 14,15 37,33' -fill '#3b8fd9' -draw 'rectangle 15,16 36,32' \
  -fill '#8cc4f0' -draw 'polygon 15,16 27,16 15,26' \
  -fill '#9aa0ad' -draw 'rectangle 6,22 9,26' -draw 'rectangle 4,23 11,25' \
  -draw 'circle 44,20 45,20' -draw 'circle 41,24 42,24' -draw 'circle 47,24 48,24' -draw 'circle 44,28 45,28' \
  psp.png

# The copy-drag cursor: an arrow with a plus sign in a box; hot spot (1, 1).
$convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
  -draw 'polygon 1,1 1,17 5,13 8,20 10,19 7,12 12,12' \
  -draw 'rectangle 15,17 27,29' -stroke none -fill black \
  -draw 'rectangle 20,19 22,27' -draw 'rectangle 17,22 25,24' \
  copy-cursor.png

# The about box's banner, 434 x 100: the name on a light sky, the computer
# and the handheld, and a light strip on the right where the version goes.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
$convert -size 434x100 gradient:'#dce9f7'-'#ffffff' \
  -fill '#3b8fd9' -draw 'rectangle 0,94 433,99' \
  -font "$font" -pointsize 34 -fill '#1f4f8f' -annotate +20+50 'Vantrel' \
  -font "${font/-Bold/}" -pointsize 12 -fill '#3a4a5c' -annotate +22+74 'Videos to and from your PSP' \
  pc.png -geometry +300+12 -composite \
  psp.png -geometry +362+12 -composite \
  about-banner.png

# The program's icon for the desktop's menus: the handheld with a play
# sign on its screen, drawn once at 256 pixels and scaled to each size.
cd ../icons
$convert -size 256x256 xc:none -fill '#2b2e36' -draw 'roundrectangle 4,64 251,192 56,56' \
  -fill '#111318' -draw 'rectangle 68,76 187,180' -fill '#3b8fd9' -draw 'rectangle 72,80 183,176' \
  -fill '#ffffff' -draw 'polygon 110,100 110,156 154,128' \
  -fill '#9aa0ad' -draw 'rectangle 30,116 46,140' -draw 'rectangle 22,124 54,132' \
  -draw 'circle 222,106 228,106' -draw 'circle 206,128 212,128' -draw 'circle 238,128 244,128' \
  -draw 'circle 222,150 228,150' \
  vantrel-256.png
for size in 16 24 32 48 64 128; do
  $convert vantrel-256.png -resize ${size}x${size} vantrel-$size.png
done
