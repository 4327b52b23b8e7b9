#!/usr/bin/env bash
# The Debian package as a user gets it: built from this tree, with library
# dependencies found by dpkg-shlibdeps, lintian clean (apart from the
# overrides it ships), and unpacked into a temporary root, where the program
# runs and the desktop entry, the AppStream data and the GNOME Shell
# extension's metadata validate.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || fail "cpack failed: $(tail -n 20 "$work/cpack.log")"
deb=$(ls "$work"/out/*.deb)
info=$(dpkg-deb --info "$deb")
for needed in libqt6widgets6 libqt6svg6 libxcb-xtest0 libgcrypt20 libwayland-client0 qt6-qpa-plugins qt6-wayland; do
  grep -q "Depends:.*$needed" <<<"$info" || fail "the package does not depend on $needed: $info"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
id=com.tarnbrooksoftware.Velloq
for file in usr/bin/velloq usr/libexec/velloq/velloq usr/libexec/velloq/velloq-update-check \
  usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/48x48/apps/$id.png \
  usr/share/icons/hicolor/symbolic/apps/$id-symbolic.svg \
  usr/share/icons/hicolor/512x512/apps/$id.png usr/share/man/man1/velloq.1.gz \
  usr/share/bash-completion/completions/velloq usr/share/zsh/vendor-completions/_velloq \
  usr/share/doc/velloq/copyright usr/share/doc/velloq/changelog.Debian.gz; do
  [[ -e $root/$file ]] || fail "the package lacks /$file"
done
file "$root/usr/share/icons/hicolor/48x48/apps/$id.png" | grep -q "48 x 48" || fail "the 48 px icon is not 48 px"

velloq=$root/usr/bin/velloq
[[ $("$velloq" --version) == "velloq $(dpkg-deb --field "$deb" Version | cut -d- -f1)" ]] \
  || fail "--version says $("$velloq" --version)"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
echo "from the package" | "$velloq" add >/dev/null || fail "velloq add failed"
"$velloq" list | grep -q "from the package" || fail "velloq list does not show the entry"

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "the desktop entry is invalid"
# KWin compares the full path in Exec with the running program's: the
# application, which /usr/bin/velloq becomes.
grep -qx "Exec=/usr/libexec/velloq/velloq" "$root/usr/share/applications/$id.desktop" \
  || fail "the desktop entry does not start the application: $(grep ^Exec "$root/usr/share/applications/$id.desktop")"
ldd "$velloq" | grep -qE "Widgets|Gui|xcb|wayland|DBus" \
  && fail "the velloq command loads more than Qt Core: $(ldd "$velloq")"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 \
  || fail "the AppStream data is invalid: $(cat "$work/as.log")"
extension=$root/usr/share/gnome-shell/extensions/velloq@tarnbrooksoftware.com
python3 - "$extension" <<'CHECK' || fail "the GNOME Shell extension is not as GNOME loads it"
import json, os, re, sys
folder = sys.argv[1]
meta = json.load(open(os.path.join(folder, "metadata.json")))
assert meta["uuid"] == os.path.basename(folder), "uuid is not the folder's name"
assert meta["name"] and meta["description"], "no name or description"
versions = meta["shell-version"]
assert all(re.fullmatch(r"\d+", v) for v in versions), "shell-version is not major versions"
assert "45" in versions and versions == sorted(versions, key=int), "shell-version does not run from 45"
for module in ["extension.js"] + [f for f in os.listdir(folder) if f.endswith(".js")]:
    text = open(os.path.join(folder, module)).read()
    for imported in re.findall(r"from '\./([^']+)'", text):
        assert os.path.exists(os.path.join(folder, imported)), f"{module} imports a missing {imported}"
CHECK
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 \
  || fail "lintian: $(cat "$work/lintian.log")"
echo "package ok: $(basename "$deb")"
