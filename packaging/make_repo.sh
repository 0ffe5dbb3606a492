#!/usr/bin/env bash
# A signed flat apt repository of the given packages, for a lab to serve from a web server or a
# shared folder:  deb [signed-by=KEYRING] URI ./
# Writes Packages, Packages.gz, Release, InRelease, Release.gpg, the public key as a keyring
# (trovel-studio-archive-keyring.gpg) and as text (KEY.asc). The key is REPO_KEY from GNUPGHOME
# when given; else a key of the repository's own, made once in KEY_HOME (no passphrase) and
# reused on later runs.
# usage: make_repo.sh REPO_DIR KEY_HOME PACKAGE.deb...
set -euo pipefail
repo=$1 key_home=$2
shift 2
mkdir -p "$key_home" && key_home=$(realpath "$key_home")
packages=()
for p in "$@"; do packages+=("$(realpath "$p")"); done
[ $# -gt 0 ] || { echo "make_repo.sh: no package given" >&2; exit 2; }
export LC_ALL=C.UTF-8
if [ -n "${REPO_KEY:-}" ]; then
  gpg_home=${GNUPGHOME:-$HOME/.gnupg} key=$REPO_KEY
else
  gpg_home=$key_home
  chmod 700 "$gpg_home"
  if ! gpg --homedir "$gpg_home" --list-secret-keys trovel-studio-repo@localhost > /dev/null 2>&1; then
    gpg --homedir "$gpg_home" --batch --passphrase '' --quick-gen-key \
      "TrovelStudio lab repository <trovel-studio-repo@localhost>" ed25519 sign never 2> "$gpg_home/keygen.log" ||
      { cat "$gpg_home/keygen.log" >&2; exit 1; }
  fi
  key=trovel-studio-repo@localhost
fi
gpg=(gpg --homedir "$gpg_home" --batch --yes --local-user "$key")
rm -rf "$repo" && mkdir -p "$repo"
cp "${packages[@]}" "$repo/"
cd "$repo"
apt-ftparchive packages . > Packages
gzip -9nk Packages
apt-ftparchive -o APT::FTPArchive::Release::Origin=TrovelStudio \
  -o APT::FTPArchive::Release::Label=TrovelStudio -o APT::FTPArchive::Release::Suite=stable \
  -o APT::FTPArchive::Release::Codename=trovel-studio \
  -o APT::FTPArchive::Release::Architectures="$(dpkg --print-architecture)" release . > Release
"${gpg[@]}" --clearsign -o InRelease Release
"${gpg[@]}" --detach-sign -o Release.gpg Release
"${gpg[@]}" --export "$key" > trovel-studio-archive-keyring.gpg
"${gpg[@]}" --armor --export "$key" > KEY.asc
echo "$repo"
