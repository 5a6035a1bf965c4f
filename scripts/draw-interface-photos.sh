#!/usr/bin/env bash
# Draws the pictures of the interface selection dialog into data/ (our own
# drawings of the devices, made once with ImageMagick and committed).
set -euo pipefail
cd "$(dirname "$0")/../data"

isa_card() {  # out, label, chip colour
  local fingers=()
  for x in $(seq 96 12 322); do fingers+=(-draw "rectangle $x,252 $((x+6)),270"); done
  convert -size 480x360 gradient:'#f4f1ea-#c9c4b8' \
    -fill '#1f6b3a' -stroke '#124225' -strokewidth 3 -draw 'roundrectangle 40,70 430,250 8,8' \
    -fill '#c9a227' -stroke none -draw 'rectangle 90,250 330,272' \
    -fill '#8a6d12' "${fingers[@]}" \
    -fill '#9aa0a6' -stroke '#5f6368' -strokewidth 2 -draw 'rectangle 430,40 452,300' \
    -fill '#202124' -draw 'circle 441,110 441,124' -fill '#bdc1c6' -draw 'circle 441,110 441,114' \
    -fill "$3" -stroke '#000000' -strokewidth 1 -draw 'rectangle 90,110 190,180' \
    -fill '#202124' -draw 'rectangle 220,100 290,150' -draw 'rectangle 220,170 260,210' -draw 'rectangle 310,110 380,160' \
    -fill '#e8eaed' -draw 'rectangle 310,185 395,200' \
    -fill '#f1f3f4' -stroke none -font DejaVu-Sans-Bold -pointsize 22 -annotate +60+235 "$2" \
    -fill '#d9d9d9' -pointsize 11 -annotate +96+150 'DMX CPU' \
    -fill '#3c4043' -font DejaVu-Sans -pointsize 16 -annotate +40+330 "ISA DMX512 PC Interface $2" \
    -quality 88 "$1"
}

usb_box() {  # out, label, body colour
  convert -size 480x360 gradient:'#f4f1ea-#c9c4b8' \
    -fill "$3" -stroke '#202124' -strokewidth 3 -draw 'roundrectangle 110,90 370,250 18,18' \
    -fill '#202124' -draw 'circle 320,170 320,205' -fill '#9aa0a6' -draw 'circle 320,170 320,190' \
    -fill '#202124' -draw 'circle 329,170 332,170' -draw 'circle 315,178 318,178' -draw 'circle 315,162 318,162' \
    -fill '#5f6368' -stroke none -draw 'rectangle 60,160 110,180' \
    -fill none -stroke '#202124' -strokewidth 6 -draw 'bezier 60,170 30,170 30,300 5,320' \
    -fill '#34a853' -stroke none -draw 'circle 150,120 150,126' \
    -fill '#f1f3f4' -font DejaVu-Sans-Bold -pointsize 24 -annotate +135+215 "$2" \
    -fill '#3c4043' -font DejaVu-Sans -pointsize 16 -annotate +40+330 "USB DMX512 Interface $2" \
    -quality 88 "$1"
}

isa_card 7301b.jpg 7301B '#3c4043'
isa_card 7301c.jpg 7301C '#174ea6'
usb_box usbdmx1.jpg USBDMX1 '#1a73e8'
usb_box usblnk2.jpg USBLNK2 '#d93025'
echo "drew data/7301b.jpg data/7301c.jpg data/usbdmx1.jpg data/usblnk2.jpg"
