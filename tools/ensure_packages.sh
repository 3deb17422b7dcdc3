#!/bin/sh
# Installs the Debian packages Paperwake needs to build, run, test and package, when missing.
# Installs nothing with PAPERWAKE_NO_INSTALL=1 or without apt; then it only says what is
# missing. PDFs are made by Paperwake's own engine (Qt WebEngine) where no wkhtmltopdf is found;
# wkhtmltopdf and WeasyPrint are installed too where the distribution still has them.
# Fonts: Noto draws the scripts articles are written in; fontconfig tells which have none.
# ImageMagick puts pages side by side for the pictures in docs/.
set -e
PACKAGES="cmake g++ make qt6-base-dev libjs-jquery libjs-bootstrap4 fonts-dejavu-core
poppler-utils libpoppler-qt6-dev pkg-config xvfb xauth dpkg-dev desktop-file-utils
qt6-webengine-dev libqpdf-dev qpdf file libfontconfig-dev fonts-noto-core fonts-noto-cjk
fonts-noto-color-emoji imagemagick"
CONVERTERS="wkhtmltopdf weasyprint"

# Installed by the package manager, or at least what the package provides is there (a
# converter from its upstream's own package, a system without dpkg).
installed() {
    if command -v dpkg-query >/dev/null 2>&1 &&
        dpkg-query -W -f '${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; then
        return 0
    fi
    case $1 in
    g++) command -v g++ || command -v c++ ;;
    qt6-base-dev) ls -d /usr/lib/cmake/Qt6 /usr/lib/*/cmake/Qt6 /usr/lib64/cmake/Qt6 ;;
    libjs-jquery) [ -f /usr/share/javascript/jquery/jquery.min.js ] ;;
    libjs-bootstrap4) [ -f /usr/share/javascript/bootstrap4/js/bootstrap.min.js ] ;;
    fonts-dejavu-core) ls /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf ;;
    poppler-utils) command -v pdftotext ;;
    xvfb) command -v Xvfb ;;
    dpkg-dev) command -v dpkg-shlibdeps ;;
    libpoppler-qt6-dev) pkg-config --exists poppler-qt6 ;;
    libfontconfig-dev) pkg-config --exists fontconfig ;;
    imagemagick) command -v montage ;;
    fonts-noto-core) ls /usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf ;;
    fonts-noto-cjk) ls /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc ;;
    fonts-noto-color-emoji) ls /usr/share/fonts/truetype/noto/NotoColorEmoji.ttf ;;
    desktop-file-utils) command -v desktop-file-validate ;;
    *) command -v "$1" ;;
    esac >/dev/null 2>&1
}

# The distribution offers the package (as far as the package lists say).
available() {
    apt-cache show "$1" 2>/dev/null | grep -q '^Package:'
}

has_converter() {
    for c in $CONVERTERS; do
        installed "$c" && return 0
    done
    return 1
}

# Sets $wanted: what is missing, with each converter the distribution has.
find_wanted() {
    wanted=""
    for p in $PACKAGES; do
        installed "$p" || wanted="$wanted $p"
    done
    for c in $CONVERTERS; do
        installed "$c" || ! available "$c" || wanted="$wanted $c"
    done
}

SUDO=""
can_install=yes
if [ "${PAPERWAKE_NO_INSTALL:-0}" = 1 ] || ! command -v apt-get >/dev/null 2>&1; then
    can_install=""
elif [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else can_install=""; fi
fi

if [ -n "$can_install" ]; then
    find_wanted
    if [ -n "$wanted" ] || ! has_converter; then
        # Fresh lists also tell which converters the distribution still has.
        $SUDO apt-get update -qq -o Acquire::Retries=1
        find_wanted
        if [ -n "$wanted" ]; then
            echo "Installing:$wanted"
            # sudo would drop a variable given before it.
            # shellcheck disable=SC2086 # one word per package
            $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                -o Acquire::Retries=1 $wanted
        fi
    fi
fi

missing=""
for p in $PACKAGES; do
    installed "$p" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Paperwake still needs (Debian package names):$missing" >&2
    if [ -z "$can_install" ]; then
        echo "Nothing was installed (PAPERWAKE_NO_INSTALL=1, no apt-get, or no root and no sudo):" >&2
        echo "install these with your system's package manager, then build again." >&2
    fi
fi
exit 0
