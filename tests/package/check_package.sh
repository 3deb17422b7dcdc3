#!/bin/sh
# Builds the Debian package, unpacks it into a temporary root and runs the unpacked
# paperwake-cli as a new user would: its own folder is made at first use and a PDF comes out.
# Arguments: the build folder, the cpack program, the version the package must carry, the
# source folder.
# Making the package takes most of the time, so it is made again only when what goes into it
# (the programs, the installed data, the packaging) has changed since the last one.
set -eu
build=$1
cpack=$2
version=$3
source=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cache=$build/package-test
deb=$cache/package/paperwake_${version}_$(dpkg --print-architecture).deb
fingerprint=$(
    cd "$source" && find install packaging cmake CMakeLists.txt -type f | sort |
        xargs sha256sum
    sha256sum "$build/app/paperwake" "$build/app/paperwake-cli" "$build/app/paperwake-render" \
        "$build/CPackConfig.cmake"
)
fingerprint=$(printf '%s\n' "$fingerprint" | sha256sum)
if [ -f "$deb" ] && [ "$(cat "$cache/fingerprint" 2>/dev/null)" = "$fingerprint" ]; then
    echo "package unchanged since the last run: $deb"
else
    rm -rf "$cache"
    mkdir -p "$cache"
    "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$cache/package" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
    [ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$cache/package")"
    printf '%s\n' "$fingerprint" >"$cache/fingerprint"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in libqt6webenginecore6-bin libqt6webenginecore6 libjs-jquery libjs-bootstrap4 \
    libqt6core6 libqpdf fonts-noto-core; do
    case "$depends" in *"$wanted"*) ;; *) fail "Depends lacks $wanted: $depends" ;; esac
done
case "$depends" in *wkhtmltopdf* | *weasyprint*) fail "Depends names a converter: $depends" ;; esac
recommends="wkhtmltopdf | weasyprint, fonts-noto-cjk, fonts-noto-color-emoji"
[ "$(dpkg-deb -f "$deb" Recommends)" = "$recommends" ] ||
    fail "Recommends is not $recommends: $(dpkg-deb -f "$deb" Recommends)"

dpkg-deb -c "$deb" >"$work/listing"
for path in usr/bin/paperwake usr/bin/paperwake-cli usr/bin/paperwake-render \
    usr/share/paperwake/bin/template.html \
    usr/share/paperwake/lstcombinations.txt usr/share/paperwake/random/5.txt \
    usr/share/applications/paperwake.desktop usr/share/icons/hicolor/scalable/apps/paperwake.svg; do
    grep -q " \./$path\$" "$work/listing" || fail "the package lacks $path"
done
# The page scripts are the system's, not copies.
grep -q "assets/js/jquery.min.js -> /usr/share/javascript/jquery/jquery.min.js" "$work/listing" ||
    fail "jquery.min.js is not a link to the system's copy"
grep -q "bootstrap.min.js -> /usr/share/javascript/bootstrap4/js/bootstrap.min.js" "$work/listing" ||
    fail "bootstrap.min.js is not a link to the system's copy"
! grep -q wkhtmltopdf "$work/listing" || fail "the package carries a converter of its own"

root=$work/root
dpkg-deb -x "$deb" "$root"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/paperwake.desktop"
else
    echo "desktop-file-validate not installed: the desktop entry was not checked"
fi

# A new user: nothing of Paperwake's in their home yet.
home=$work/home
mkdir "$home"
user_folder=$home/.local/share/Paperwake/paperwake
cli() { env -u XDG_DATA_HOME HOME="$home" "$root/usr/bin/paperwake-cli" "$@"; }
printf 'Lanterns drift over the quiet harbour.\r\n' >"$work/harbour.txt"
make_pdf() {
    name=$1
    shift
    cli single --ad-title "Harbour Lights" --cta-text "Read on" --cta-url "https://example.com/h" \
        --name "$name" "$@" "$work/harbour.txt" >"$work/made" 2>"$work/errors" ||
        { cat "$work/errors" >&2; fail "paperwake-cli single failed"; }
}

cli --help | grep -qF "$user_folder" || fail "the help does not name $user_folder"
make_pdf first
[ -f "$user_folder/bin/template.html" ] || fail "no per-user folder at $user_folder"
[ "$(cat "$work/made")" = "$user_folder/bin/output/first.pdf" ] ||
    fail "the PDF is not in the per-user output folder: $(cat "$work/made")"
pdftotext "$user_folder/bin/output/first.pdf" - | grep -q "Lanterns drift over the quiet harbour" ||
    fail "the PDF does not hold the article"

# The user's edits survive the next start; what they deleted comes back.
sed 's/#ADTITLE#<\/p>/#ADTITLE# from my own template<\/p>/' "$user_folder/bin/template.html" \
    >"$work/edited.html"
cp "$work/edited.html" "$user_folder/bin/template.html"
rm "$user_folder/random/3.txt"
make_pdf second
cmp -s "$work/edited.html" "$user_folder/bin/template.html" || fail "the user's template was replaced"
[ -f "$user_folder/random/3.txt" ] || fail "a deleted word list did not come back"
pdftotext "$user_folder/bin/output/second.pdf" - | tr '\n' ' ' | grep -q "from my own template" ||
    fail "the second PDF was not made from the user's template"
# The installed built-in engine, beside the installed program.
make_pdf engine --converter builtin
pdftotext "$user_folder/bin/output/engine.pdf" - | grep -q "Lanterns drift over the quiet harbour" ||
    fail "the installed built-in engine made no PDF of the article"
echo "package $(basename "$deb"): unpacked paperwake-cli made its folder $user_folder and PDFs"
