#!/bin/sh
# Installs the Debian packages Paperwake needs to build, run and test, when missing.
set -e
PACKAGES="cmake g++ make qt6-base-dev wkhtmltopdf libjs-jquery libjs-bootstrap4 poppler-utils libpoppler-qt6-dev pkg-config fonts-dejavu-core xvfb xauth"
missing=""
for p in $PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
