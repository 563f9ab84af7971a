#!/usr/bin/env bash
# Every string that statics/contracts/ spells (bundle identifiers,
# notification names, preference keys, file names, the URL's parts) appears
# in no other source file of the system: the code and its comments name the
# constants instead. Tests may spell them, to pin the formats down.
#   tests/contracts/spelled_once.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

# Places where the same letters mean something else (a localisation key, a
# user-information key of an in-process notification, a command-line word).
allowed() {
  case "$1" in
    'hushgate-gui/core/screens/RootVC.cc:"enabled"') return 0 ;;   # localisation key
    'hushgate-gui/core/kit/resources.cc:"hushgate"') return 0 ;;  # share/hushgate
  esac
  return 1
}

# The headers of names, preference keys and the URL; the other contract
# headers spell words too common to search for ("name", "group").
headers=(statics/contracts/names.h statics/contracts/pref_document.h statics/contracts/blacklist_url.h)
mapfile -t literals < <(grep -hoE '^inline constexpr char k[A-Za-z0-9]+\[\] =[[:space:]]*"[^"]+"' "${headers[@]}" |
  sed -E 's/.*= *//' | sort -u)
# Declarations that continue on the next line.
mapfile -t -O "${#literals[@]}" literals < <(grep -hA1 -E '^inline constexpr char k[A-Za-z0-9]+\[\] =$' "${headers[@]}" |
  grep -oE '^ +"[^"]+"' | sed -E 's/^ +//' | sort -u)

status=0
for literal in "${literals[@]}"; do
  # The user-information key of a region notification is also the city
  # list's and the style sheets' word.
  [ "$literal" = '"group"' ] && continue
  while IFS= read -r file; do
    [ -n "$file" ] || continue
    if ! allowed "$file:$literal"; then
      echo "$file spells $literal (use the constant of statics/contracts/)"
      status=1
    fi
  done < <(grep -rlF --include='*.cc' --include='*.h' --include='*.in' -e "$literal" \
             platform statics hushgate hushgate-gui hosts tools fuzz bench | grep -v '^statics/contracts/' || true)
done
[ "$status" -eq 0 ] && echo "${#literals[@]} contract strings, each spelled once"
exit "$status"
