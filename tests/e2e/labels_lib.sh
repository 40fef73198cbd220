# Reading the labels off the screen; sourced by the end-to-end scripts after xvfb_lib.sh. The
# caller sets caption_tool to the label_caption program.

# Largest mean difference (0..1) at which a label counts as showing a drawn caption. The same
# caption differs by nothing at a whole scale; captions one digit apart, by about 0.015.
label_match=0.003

# Draws caption $1 into picture $2 as the game draws it into a label.
draw_caption() { "${caption_tool:?}" "$1" "$2"; }

# Mean difference (0..1) of two pictures of one size.
picture_difference() {
  convert "$1" "$2" -compose difference -composite -colorspace Gray -format "%[fx:mean]" info:
}

# Whether label $1 (0..3) of screenshot $3 shows the caption drawn in $2.
label_shows() {
  local cell
  cell="$3.label$1.png"
  convert "$3" -crop "160x16+$(($1 * 160))+450" +repage "$cell" &&
    above "$label_match" "$(picture_difference "$cell" "$2")"
}
