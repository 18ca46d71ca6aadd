#!/bin/sh
# Installs what building, testing and packaging Quillon needs on Debian 12.
# Runs as root (a bare container has no sudo) or as a user who may sudo.
# Extra package names given as arguments are installed with the same call,
# so CI and the README share this one list.
set -eu

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "setup.sh: run as root, or install sudo first" >&2
    exit 1
fi

packages="
    build-essential cmake ninja-build pkg-config file
    libxerces-c-dev libcurl4-openssl-dev qt6-base-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth libxml2-utils git desktop-file-utils groff-base man-db
"

# sudo resets the environment, so the frontend setting rides on env.
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086 # the list splits into words on purpose
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $packages "$@" >/dev/null
