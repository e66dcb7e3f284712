#!/usr/bin/env bash
# The layering of src/, checked from the #include lines and the library definitions:
#   - the numerical folders form the order below; a file of one may include its own folder and
#     the folders before it, never one after it;
#   - numerical code (every folder's files outside its screens/ sub-folder) includes neither ui/
#     nor Qt, and no numerical library links orvant_ui or Qt in CMakeLists.txt;
#   - ui/ (the toolkit: abstract Form, Canvas) sees only model/; Qt only in ui/qt/;
#   - screens/ sub-folders may use any numerical folder and ui/, never app/.
# Exit status 1 with one line per violation; 0 when the tree keeps its layers.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/src"

# Lowest first.
layers=(model astro ephemeris coordinates initial statistics design observations earthrotation
        simulation)
rank() {
  local i
  for i in "${!layers[@]}"; do [[ "${layers[$i]}" == "$1" ]] && { echo "$i"; return; }; done
  echo -1
}

fail=0
violation() { echo "architecture: $*"; fail=1; }

# included folders ("x/...") and Qt headers of one file, as "line:folder"
includes() { grep -noE '^#include "[A-Za-z_]+/' "$1" | sed -E 's/#include "//; s|/$||'; }
qt() { grep -nE '^#include <Q[A-Za-z]+' "$1"; }

for layer in "${layers[@]}"; do
  r=$(rank "$layer")
  [[ -d "$src/$layer" ]] || { violation "src/$layer: folder of the layer order missing"; continue; }
  while IFS= read -r f; do
    rel=${f#"$root/"}
    while IFS=: read -r line dir; do
      [[ -z "$dir" ]] && continue
      if [[ "$dir" == ui || "$dir" == app ]]; then
        violation "$rel:$line: numerical code includes $dir/"
      else
        d=$(rank "$dir")
        if (( d < 0 )); then
          violation "$rel:$line: includes $dir/, which is no numerical layer"
        elif (( d > r )); then
          violation "$rel:$line: $layer includes $dir/, a higher layer"
        fi
      fi
    done < <(includes "$f")
    qt "$f" | while IFS=: read -r line _; do echo "architecture: $rel:$line: numerical code includes Qt"; done
    [[ -n "$(qt "$f")" ]] && fail=1
  done < <(find "$src/$layer" -path "$src/$layer/screens" -prune -o -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' \) -print)
done

# The toolkit: model/ and itself; Qt only in ui/qt.
while IFS= read -r f; do
  rel=${f#"$root/"}
  while IFS=: read -r line dir; do
    [[ "$dir" == model || "$dir" == ui ]] || violation "$rel:$line: ui/ includes $dir/"
  done < <(includes "$f")
  [[ -n "$(qt "$f")" ]] && violation "$rel: Qt outside ui/qt"
done < <(find "$src/ui" -path "$src/ui/qt" -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print)

# Screens: anything but the application.
while IFS= read -r f; do
  rel=${f#"$root/"}
  while IFS=: read -r line dir; do
    [[ "$dir" == app ]] && violation "$rel:$line: a screen includes app/"
  done < <(includes "$f")
  [[ -n "$(qt "$f")" ]] && violation "$rel: Qt in a screen (screens use the abstract Form)"
done < <(find "$src" -path '*/screens/*' -type f \( -name '*.h' -o -name '*.cpp' \))

# Libraries: no numerical library links the toolkit or Qt.
for layer in "${layers[@]}"; do
  deps=$(awk -v l="$layer" '$0 ~ "^orvant_subsystem\\(" l "[ )]" {on = 1} on {print} on && /\)/ {exit}' \
         "$root/CMakeLists.txt" | tr '\n' ' ')
  [[ "$deps" == *orvant_ui* || "$deps" == *Qt* ]] && violation "CMakeLists.txt: orvant_$layer links orvant_ui or Qt"
done

exit $fail
