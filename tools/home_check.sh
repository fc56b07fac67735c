#!/usr/bin/env bash
# Sees whether a run wrote into a home folder, in the places this program
# and the helpers it starts write to, at any depth.
#   home_check.sh places HOME TREE          the places, one a line
#   home_check.sh snapshot HOME TREE >STATE
#   home_check.sh compare STATE             the writes since, one a line;
#                                           fails when there are any
# TREE (the source tree) is passed over: it has a check of its own. The
# XDG_* variables and user folders are those of the calling environment.
set -euo pipefail

# An XDG base folder: the variable when absolute (a relative one is ignored,
# as the program ignores it), else the default under the home.
xdg_base() {
  local value=${!1:-}
  if [[ $value == /* ]]; then printf '%s\n' "$value"; else printf '%s\n' "$2"; fi
}

# A user folder as xdg-user-dir tells it (the program asks it for the
# desktop), and the default the program or Qt falls back to.
user_dirs() {
  local home=$1 name=$2 default=$3
  printf '%s\n' "$home/$default"
  if command -v xdg-user-dir >/dev/null 2>&1; then
    HOME=$home xdg-user-dir "$name" 2>/dev/null || true
  fi
}

places() {
  local home=$1 config data cache state
  config=$(xdg_base XDG_CONFIG_HOME "$home/.config")
  data=$(xdg_base XDG_DATA_HOME "$home/.local/share")
  cache=$(xdg_base XDG_CACHE_HOME "$home/.cache")
  state=$(xdg_base XDG_STATE_HOME "$home/.local/state")
  {
    # The profile (QSettings of the company key), Qt's own settings (the file
    # dialogs' history), the data folder with the settings file, histories and
    # undo snapshots, and the company's cache and state folders.
    printf '%s\n' "$config/Morivane" "$config/Morivane.conf" "$config/QtProject.conf" \
      "$data/Morivane" "$cache/Morivane" "$state/Morivane"
    # Registering the file types: MIME package, launcher, icons, and the
    # defaults xdg-mime writes (its generic mimeapps.list, a desktop's
    # <desktop>-mimeapps.list; older KDE keeps one under applications/).
    printf '%s\n' "$data/mime" "$data/applications" "$data/icons/hicolor"
    find "$config" -mindepth 1 -maxdepth 1 -name '*mimeapps.list' 2>/dev/null || true
    printf '%s\n' "$config/mimeapps.list"
    # Records are saved into the documents folder by default; the launcher
    # goes on the desktop.
    user_dirs "$home" DOCUMENTS Documents
    user_dirs "$home" DESKTOP Desktop
  } | sed '/^$/d' | while IFS= read -r p; do
    p=$(realpath -m -- "$p")
    # xdg-user-dir answers the home itself for a folder not set up; the top
    # level is looked at on its own, and nothing holding the home is walked.
    [ "$p" != / ] || continue
    case "$home/" in "$p"/*) continue ;; esac
    printf '%s\n' "$p"
  done | sort -u
}

# One line for each entry: its kind, for a file its change time (which moves
# with every write, chmod and rename), and its path. A folder's own times are
# passed over: what changed in it is listed by itself.
entries() {
  local home=$1 tree=$2 p
  while IFS= read -r p; do
    [ -e "$p" ] || [ -L "$p" ] || continue
    find "$p" -path "$tree" -prune -o -type d -printf 'd - %p\n' -o -printf '%y %C@ %p\n' 2>/dev/null || true
  done
  # The top level, files only and never its dot-files. The program puts a
  # file directly into the home only as the documents folder when there is no
  # ~/Documents, and then only a record under the name the user gives it;
  # its own state lives in the places above. The dot-files at the top are the
  # shells' and other programs' (histories, rc files), written at any time.
  [ "$home" = "$tree" ] ||
    find "$home" -mindepth 1 -maxdepth 1 ! -type d ! -name '.*' -printf '%y %C@ %p\n' 2>/dev/null || true
}

case ${1:-} in
  places)
    [ $# -eq 3 ] || { echo "usage: $0 places HOME TREE" >&2; exit 2; }
    places "$(realpath -m -- "$2")"
    ;;
  snapshot)
    [ $# -eq 3 ] || { echo "usage: $0 snapshot HOME TREE" >&2; exit 2; }
    home=$(realpath -m -- "$2")
    tree=$(realpath -m -- "$3")
    printf 'home %s\ntree %s\n' "$home" "$tree"
    where=$(places "$home")
    printf '%s\n' "$where" | sed '/^$/d; s/^/place /'
    printf '%s\n' "$where" | sed '/^$/d' | entries "$home" "$tree" | sort -u -k3 | sed 's/^/entry /'
    ;;
  compare)
    [ $# -eq 2 ] || { echo "usage: $0 compare STATE" >&2; exit 2; }
    # The places as they were at the snapshot: the run may change the
    # environment, not what is looked at.
    home=$(sed -n 's/^home //p' "$2")
    tree=$(sed -n 's/^tree //p' "$2")
    writes=$(sed -n 's/^place //p' "$2" | entries "$home" "$tree" | sort -u -k3 |
      awk 'FNR == NR { if (sub(/^entry /, "")) { p = $0; sub(/^[^ ]+ [^ ]+ /, "", p); before[p] = $0 }; next }
           { p = $0; sub(/^[^ ]+ [^ ]+ /, "", p); seen[p] = 1
             if (!(p in before)) print "added " p; else if (before[p] != $0) print "changed " p }
           END { for (p in before) if (!(p in seen)) print "removed " p }' "$2" - | sort)
    [ -z "$writes" ] || { printf '%s\n' "$writes"; exit 1; }
    ;;
  *)
    echo "usage: $0 places|snapshot|compare ..." >&2
    exit 2
    ;;
esac
