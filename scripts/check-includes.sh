#!/usr/bin/env bash
# The folders' include rules: each folder uses only those below it; and the
# view's rules only in its scale. Prints every line that breaks a rule and
# exits 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."
bad=0
# folder, and the pattern of includes it must not have
rules=(
  "src/runtime|#include <Q"
  "src/store|#include <Q"
  "src/exchange|#include <Q"
  "src/exchange|#include \"(framework|views|dialogs|print|app|undo|recovery|update|components)/"
  "src/runtime|#include \"(store|framework|views|dialogs|print|app|undo|recovery|update|components)/"
  "src/store|#include \"(framework|views|dialogs|print|app|undo|recovery|update|components)/"
  "src/framework|#include \"(views|dialogs|print|app|undo|recovery|update|components)/"
  "src/views|#include \"(dialogs|print|app)/"
  "src/dialogs|#include \"(views|app)/"
  "src/print|#include \"(views|dialogs|app)/"
  "src/components|#include \"(store|views|dialogs|print|app|undo|recovery|update)/"
  "src/undo|#include \"(framework|views|dialogs|print|app|recovery|update|components)/"
  "src/recovery|#include \"(framework|views|dialogs|print|app|undo|update|components)/"
  "tools|#include \"app/"
)
for rule in "${rules[@]}"; do
  folder=${rule%%|*}
  pattern=${rule#*|}
  if found=$(grep -rnE "$pattern" "$folder" --include='*.h' --include='*.cpp'); then
    echo "$found" | sed "s|^|check-includes: $folder must not: |"
    bad=1
  fi
done
# What a view knows lives in its scale (src/store): a branch on the view
# anywhere else is a view's rule in the wrong place.
if found=$(grep -rnE "viewMode *[!=]=|[!=]= *k(Year|Month|Week)View|switch *\(.*viewMode" src tools \
             --include='*.h' --include='*.cpp' | grep -v '^src/store/'); then
  echo "$found" | sed "s|^|check-includes: only the view's scale branches on the view: |"
  bad=1
fi
exit "$bad"
