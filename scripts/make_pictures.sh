#!/usr/bin/env bash
# Renders the pictures under ICON/ from their drawings in ICON/svg/ and
# builds ICON/loading.gif and Sensavo.ico. The results are committed, so the
# build needs none of this; run it after changing a drawing.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."

render() {   # drawing, width, height
  rsvg-convert -w "$2" -h "$3" -o "ICON/$1.png" "ICON/svg/$1.svg"
}
render background_color 150 300
render border-top 300 100
render trademark 300 300
render file_icon-back 96 96
render manu 96 96
render language 96 96
render help 96 96
render connect 64 64
render notconnect 64 64
render message_ok 64 64
render Dashboard 600 600   # shown 300 x 300 at the form size
render data_bckground 200 150
render 7 200 60
render press_icon 160 50

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Waiting spinner: eight dots, the bright one going round.
for f in 0 1 2 3 4 5 6 7; do
  {
    echo '<svg xmlns="http://www.w3.org/2000/svg" width="75" height="50" viewBox="0 0 75 50">'
    echo '<rect width="75" height="50" fill="#ffffff"/>'
    for d in 0 1 2 3 4 5 6 7; do
      age=$(( (f - d + 8) % 8 ))
      opacity=$(awk -v a="$age" 'BEGIN { printf "%.2f", 1 - a * 0.11 }')
      echo "<circle cx=\"37.5\" cy=\"7\" r=\"4.5\" fill=\"#2a5b8c\" opacity=\"$opacity\" transform=\"rotate($((d * 45)) 37.5 25)\"/>"
    done
    echo '</svg>'
  } > "$tmp/frame$f.svg"
  rsvg-convert -o "$tmp/frame$f.png" "$tmp/frame$f.svg"
done
convert -delay 10 -loop 0 "$tmp"/frame[0-7].png -layers Optimize ICON/loading.gif

for s in 16 32 48 64 256; do
  rsvg-convert -w $s -h $s -o "$tmp/icon$s.png" ICON/svg/app_icon.svg
done
convert "$tmp"/icon16.png "$tmp"/icon32.png "$tmp"/icon48.png "$tmp"/icon64.png "$tmp"/icon256.png Sensavo.ico
