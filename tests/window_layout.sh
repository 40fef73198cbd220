# The main window's caption for the scripts that find the real window, read from the one
# statement of the window layout (interfaces/window_layout.h). Sourced.

window_caption() {
  local header caption
  header="$(dirname "${BASH_SOURCE[0]}")/../interfaces/window_layout.h"
  caption=$(sed -n 's/^inline constexpr char kWindowCaption\[\] = "\(.*\)";$/\1/p' "$header")
  if [ -z "$caption" ]; then
    echo "cannot read the window caption from $header" >&2
    return 1
  fi
  echo "$caption"
}
