#!/usr/bin/env bash
# The test command's home check, on scratch homes: a write into each place
# the program or its helpers write to is reported, at any depth; a write
# elsewhere in the home, or into the source tree lying there, is not.
#   home_check_test.sh tools/home_check.sh
set -uo pipefail
check=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# expect | layout | before the snapshot | the write after it
# Run in the home; $X is a folder outside it for the XDG variables. Layout
# "home" leaves the XDG variables unset, "xdg" points them all at $X.
cases=(
  "reported|home||mkdir -p .config/Morivane && echo a >.config/Morivane/Sorvane.conf"
  "reported|home|mkdir -p .config|echo a >.config/Morivane.conf"
  "reported|home|mkdir -p .config|echo a >.config/QtProject.conf"
  "reported|home||mkdir -p .local/share/Morivane/DovuV7 && echo a >.local/share/Morivane/DovuV7/NARVO.ENV"
  "reported|home|mkdir -p .local/share/Morivane/DovuV7|echo a >.local/share/Morivane/DovuV7/kifu.his"
  "reported|home|mkdir -p .local/share/Morivane/DovuV7|mkdir -p .local/share/Morivane/DovuV7/undo/x"
  "reported|home|mkdir -p .local/share/Morivane/DovuV7 && echo a >.local/share/Morivane/DovuV7/NARVO.ENV|echo b >.local/share/Morivane/DovuV7/NARVO.ENV"
  "reported|home|mkdir -p .local/share/Morivane/DovuV7 && echo a >.local/share/Morivane/DovuV7/ftp.env|rm .local/share/Morivane/DovuV7/ftp.env"
  "reported|home||mkdir -p .cache/Morivane/SorvaneClass && echo a >.cache/Morivane/SorvaneClass/c"
  "reported|home||mkdir -p .local/state/Morivane/SorvaneClass && echo a >.local/state/Morivane/SorvaneClass/s"
  "reported|home|mkdir -p .local/share/applications|echo a >.local/share/applications/narvo.desktop"
  "reported|home|mkdir -p .local/share/applications|echo a >.local/share/applications/mimeinfo.cache"
  "reported|home||mkdir -p .local/share/mime/packages && echo a >.local/share/mime/packages/sorvane-v7.xml"
  "reported|home||mkdir -p .local/share/icons/hicolor/256x256/apps && echo a >.local/share/icons/hicolor/256x256/apps/sorvane-v7.png"
  "reported|home|mkdir -p .config && echo a >.config/mimeapps.list|echo b >>.config/mimeapps.list"
  "reported|home|mkdir -p .config && echo a >.config/gnome-mimeapps.list|echo b >>.config/gnome-mimeapps.list"
  "reported|home|mkdir -p Documents|echo a >Documents/a.zrf"
  "reported|home|mkdir -p Documents/kifu/2024|echo a >Documents/kifu/2024/a.csa"
  "reported|home|mkdir -p Desktop|echo a >'Desktop/Sorvane V7.desktop'"
  "reported|home|mkdir -p Desktop && echo a >'Desktop/Sorvane V7.desktop'|chmod +x 'Desktop/Sorvane V7.desktop'"
  "reported|home|mkdir -p .config Schreibtisch && echo 'XDG_DESKTOP_DIR=\"\$HOME/Schreibtisch\"' >.config/user-dirs.dirs|echo a >'Schreibtisch/Sorvane V7.desktop'"
  "reported|home|mkdir -p .config Dokumente && echo 'XDG_DOCUMENTS_DIR=\"\$HOME/Dokumente\"' >.config/user-dirs.dirs|echo a >Dokumente/a.zrf"
  "reported|home||echo a >untitled.zrf"
  "reported|xdg||mkdir -p \$X/config/Morivane && echo a >\$X/config/Morivane/Sorvane.conf"
  "reported|xdg||mkdir -p \$X/data/Morivane/DovuV7 && echo a >\$X/data/Morivane/DovuV7/NARVO.ENV"
  "reported|xdg||mkdir -p \$X/data/applications && echo a >\$X/data/applications/narvo.desktop"
  "reported|xdg||echo a >\$X/config/mimeapps.list"
  "reported|xdg||mkdir -p \$X/cache/Morivane && echo a >\$X/cache/Morivane/c"
  "reported|xdg||mkdir -p \$X/state/Morivane && echo a >\$X/state/Morivane/s"
  "quiet|home|mkdir -p Downloads|echo a >Downloads/big.iso"
  "quiet|home||mkdir -p Downloads/deep/er && echo a >Downloads/deep/er/f"
  "quiet|home|echo a >.bash_history|echo b >>.bash_history"
  "quiet|home||echo a >.zsh_history"
  "quiet|home||mkdir -p .config/other && echo a >.config/other/rc"
  "quiet|home||mkdir -p .local/share/other && echo a >.local/share/other/f"
  "quiet|home||mkdir -p .cache/other && echo a >.cache/other/f"
  "quiet|home|mkdir -p src/narvo|echo a >src/narvo/build.log"
  "quiet|home|mkdir -p Documents/work/narvo|echo a >Documents/work/narvo/build.log"
  "quiet|home|mkdir -p Documents|echo a >Documents/a.zrf && rm Documents/a.zrf"
  "quiet|xdg||mkdir -p .local/share/other && echo a >.local/share/other/f"
)

failed=0
for row in "${cases[@]}"; do
  IFS='|' read -r expect layout before action <<<"$row"
  one=$(mktemp -d "$scratch/case-XXXXXX")
  H=$one/home X=$one/xdg
  mkdir -p "$H" "$X/config"
  # The source tree lies in the home, where a developer keeps it.
  tree=$H/src/narvo
  case $action in *Documents/work/narvo*) tree=$H/Documents/work/narvo ;; esac
  mkdir -p "$tree"
  env=(env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME HOME="$H")
  [ "$layout" = xdg ] &&
    env+=(XDG_CONFIG_HOME="$X/config" XDG_DATA_HOME="$X/data" XDG_CACHE_HOME="$X/cache" XDG_STATE_HOME="$X/state")
  (cd "$H" && X=$X HOME=$H bash -ec "$before") || { echo "setup failed: $row" >&2; failed=1; continue; }
  "${env[@]}" bash "$check" snapshot "$H" "$tree" >"$one/state"
  # Change times are kept to the nanosecond, but a coarse file system may not.
  sleep 0.01
  (cd "$H" && X=$X HOME=$H bash -ec "$action") || { echo "write failed: $row" >&2; failed=1; continue; }
  out=$("${env[@]}" bash "$check" compare "$one/state")
  rc=$?
  case $expect in
    reported) [ $rc -eq 1 ] && [ -n "$out" ] ;;
    quiet) [ $rc -eq 0 ] && [ -z "$out" ] ;;
  esac || { printf 'expected %s, got exit %s for: %s\n%s\n' "$expect" "$rc" "$row" "$out" >&2; failed=1; }
done
exit $failed
