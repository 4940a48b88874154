#!/usr/bin/env bash
# The installed program: the install rules put exactly the expected files under a prefix; the desktop entry and the
# AppStream description validate and name what is installed; CPack's Debian package has the project version, computed
# library dependencies plus zenity, and the same files under /usr; the vornix unpacked from the package starts (from
# an empty folder, so it can only use what it carries inside) and ends with status 0 when its window is closed.
source "$(dirname "$0")/../e2e/lib.sh"
: "${VORNIX_BUILD:?}" "${VORNIX_X_CLOSE:?}"

work=$(mktemp -d "$E2E_DIR/run.XXXXXX")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$VORNIX_BUILD/CMakeCache.txt")
check '[ -n "$version" ]' "the build has a project version ($version)"

expected="bin/vornix
share/applications/vornix.desktop
share/doc/vornix/LICENSE
share/doc/vornix/README.md
share/icons/hicolor/128x128/apps/vornix.png
share/icons/hicolor/256x256/apps/vornix.png
share/icons/hicolor/48x48/apps/vornix.png
share/metainfo/org.vornix.vornix.metainfo.xml
share/mime/packages/vornix.xml"

# --- install into a prefix -------------------------------------------------------------------------------------------
prefix=$work/prefix
cmake --install "$VORNIX_BUILD" --prefix "$prefix" >"$work/install.log"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
check '[ "$installed" = "$expected" ]' "the install rules put exactly the expected files under the prefix:
$installed"
check '[ -x "$prefix/bin/vornix" ]' "the installed program is executable"
for size in 48 128 256; do
    check 'file "$prefix/share/icons/hicolor/${size}x${size}/apps/vornix.png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA"' \
        "the ${size}x${size} icon is a $size-pixel RGBA PNG"
done

# --- desktop entry and AppStream description -------------------------------------------------------------------------
desktop=$prefix/share/applications/vornix.desktop
metainfo=$prefix/share/metainfo/org.vornix.vornix.metainfo.xml
check 'desktop-file-validate "$desktop"' "desktop-file-validate accepts the desktop entry"
check 'appstreamcli validate --no-net "$metainfo"' "appstreamcli accepts the metainfo"
check 'grep -qx "Exec=vornix %F" "$desktop" && grep -qx "Icon=vornix" "$desktop" && grep -qx "Terminal=false" "$desktop"' \
    "the entry starts the installed program by name with the files it is given, with the installed icon, without a terminal"
mimetypes=$(grep -o 'mime-type type="[^"]*"' "$prefix/share/mime/packages/vornix.xml" | cut -d'"' -f2)
unlisted=$(for type in $mimetypes; do grep -q "^MimeType=.*$type;" "$desktop" || echo "$type"; done)
check '[ -n "$mimetypes" ] && [ -z "$unlisted" ]' "the entry opens every file type the installed MIME package defines (unlisted: ${unlisted:-none})"
check 'grep -qx "StartupWMClass=vornix" "$desktop"' "the entry names the window's class, so a dock matches the window to it"
check 'grep -q "<launchable type=\"desktop-id\">vornix.desktop</launchable>" "$metainfo" && grep -q "<screenshot type=\"default\">" "$metainfo" && grep -q "<release version=\"$version\"" "$metainfo"' \
    "the metainfo names the desktop entry, has a screenshot and a release of the project version"

# --- the Debian package ----------------------------------------------------------------------------------------------
cpack --config "$VORNIX_BUILD/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1 || cat "$work/cpack.log"
deb=$work/cpack/vornix_${version}_amd64.deb
check '[ -f "$deb" ]' "CPack makes $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1" 2>/dev/null; }
depends=$(field Depends)
echo "Depends: $depends"
check '[ "$(field Package)" = vornix ] && [ "$(field Version)" = "$version" ] && [ "$(field Architecture)" = amd64 ]' \
    "the control file names the package, the project version and amd64"
check '[ -n "$(field Maintainer)" ] && [ -n "$(field Section)" ] && [ "$(field Description | wc -l)" -ge 2 ]' \
    "the control file has a maintainer, a section, a summary and a long description"
# Computed from the executable: the C library and GLFW come only from dpkg-shlibdeps, zenity from the hand-given list.
check 'echo "$depends" | grep -q "libc6 (>=" && echo "$depends" | grep -q "libglfw3" && echo "$depends" | grep -qw zenity' \
    "the dependencies are computed from the executable, plus zenity"
check 'echo "$depends" | grep -q "libavcodec59" && echo "$depends" | grep -q "libavformat59" && echo "$depends" | grep -q "libavfilter8" && echo "$depends" | grep -q "libswscale6"' \
    "the recording's FFmpeg libraries are among the computed dependencies"
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | sort)
check '[ "$packaged" = "$expected" ]' "the package holds the same files under /usr"

# --- start the packaged program ----------------------------------------------------------------------------------------
root=$work/root
dpkg -x "$deb" "$root"
check 'file "$root/usr/bin/vornix" | grep -q ", stripped"' "the packaged executable is stripped"
mkdir -p "$work/empty"
cd "$work/empty"
e2e_start "$root/usr/bin/vornix"
title=$(xdotool getwindowname "$E2E_WID")
check '[ "$title" = "vornix - Quillon'"'"'s interactive fluidum" ]' "the packaged vornix shows its window (\"$title\")"
e2e_close
check '[ "$E2E_STATUS" = 0 ]' "closing the window ends it with status 0 (status $E2E_STATUS)"
cd - >/dev/null
[ "$E2E_FAILURES" -eq 0 ] && rm -rf "$work"   # kept for a look after a failure
e2e_finish
