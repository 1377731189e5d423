#!/usr/bin/env bash
# Regenerates the header pictures of the database editor and the configuration window:
#   header1.jpg  73 x 85   a key cap with a launch arrow
#   header2.jpg 172 x 30   the word mark
#   header3.jpg 200 x 45   the tag line, and a badge for the red-tinted "ver 1.0" label
# Needs Debian's imagemagick (/usr/bin/convert) and the DejaVu fonts.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
convert=/usr/bin/convert
jpeg=(-strip -sampling-factor 4:4:4 -quality 90)

crimson='#8c1d24'
deep='#5e1117'
ink='#3a3a3a'

# The key cap: a soft shadow, a deep red cap with a lighter crimson face, and a white arrow
# leaving it towards the upper right.
"$convert" -size 73x85 xc:white \
  -fill '#d4d4d4' -draw "roundrectangle 12,22 64,74 9,9" -blur 0x2 \
  -fill "$deep" -draw "roundrectangle 10,17 61,68 9,9" \
  \( -size 44x44 gradient:'#a8262f'-"$crimson" \
     \( -size 44x44 xc:black -fill white -draw "roundrectangle 0,0 43,43 7,7" \) \
     -alpha off -compose CopyOpacity -composite \) \
  -geometry +14+19 -compose Over -composite \
  -stroke white -strokewidth 5 -draw "line 25,52 43,34" \
  -fill white -stroke none -draw "polygon 49,28 49,44 33,28" \
  "${jpeg[@]}" "$here/header1.jpg"

# The word mark, left-aligned and vertically centred in its strip.
"$convert" -size 172x30 xc:white \
  -font DejaVu-Sans-Bold -pointsize 22 -fill "$crimson" -gravity west \
  -annotate +2+0 'Tarnwick' \
  "${jpeg[@]}" "$here/header2.jpg"

# The tag line over a thin rule, and the badge that the red-tinted "ver 1.0" label sits on. The
# label is 46 pixels wide at x 8 of this picture and hangs 4 pixels below it; the windows carry
# the badge's last row on under the label.
"$convert" -size 200x45 xc:white \
  -font DejaVu-Sans -pointsize 11 -fill "$ink" -gravity northwest \
  -annotate +2+4 'keyword launcher' \
  \( -size 1x150 gradient:'#b0b0b0'-white -rotate -90 \) -geometry +2+22 -composite \
  -fill "$deep" -draw "roundrectangle 8,33 53,52 4,4" \
  "${jpeg[@]}" "$here/header3.jpg"

ls -l "$here"/header?.jpg
