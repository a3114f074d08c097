#!/usr/bin/env bash
# Keeps the house's arrows pointing down: a file of one layer includes
# headers of its own layer and of the layers below it, and of the title
# library only its public headers.
#
#   LayerCheck.sh SOURCE-DIR
#
# Prints one line per include that breaks the rule, naming the file and
# the line, and exits 1 when there is any.
set -euo pipefail
root=$1

# Each layer and the layers its files may include, lowest first.
layers=(
  "psptitle:"
  "platform:"
  "media:platform psptitle"
  "catalogue:media platform psptitle"
  "transfer:catalogue media platform psptitle"
  "support:platform"
  "errorreport:support platform"
  "ui:transfer catalogue support media platform psptitle"
  "tools:transfer catalogue support media platform psptitle"
  "app:ui transfer catalogue support media platform psptitle"
)
# The headers of the title library that other layers may include.
psptitle_public="psptitle/psptitle.h psptitle/Utf16.h"

allowed_for() {
  local entry
  for entry in "${layers[@]}"; do
    if [[ ${entry%%:*} == "$1" ]]; then
      echo "${entry#*:}"
      return
    fi
  done
}

contains() {
  local word
  for word in $2; do [[ $word == "$1" ]] && return 0; done
  return 1
}

faults=0
for entry in "${layers[@]}"; do
  layer=${entry%%:*}
  allowed=$(allowed_for "$layer")
  [[ -d $root/$layer ]] || continue
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${rest#*:}")
    target=${header%%/*}
    [[ $header == */* ]] || continue
    [[ $target == "$layer" ]] && continue
    if ! contains "$target" "$allowed"; then
      echo "${file#"$root"/}:$line: $layer includes $header, of a layer above it or beside it"
      faults=$((faults + 1))
    elif [[ $target == psptitle ]] && ! contains "$header" "$psptitle_public"; then
      echo "${file#"$root"/}:$line: $layer includes $header, an internal header of the title library"
      faults=$((faults + 1))
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$layer" --include='*.cpp' --include='*.h' || true)
done
if ((faults > 0)); then
  echo "$faults include(s) break the layering"
  exit 1
fi
echo "every include points down"
