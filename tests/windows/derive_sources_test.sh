#!/usr/bin/env bash
# The Windows libraries' sources come through a private apt configuration made
# from the machine's own: every enabled deb entry gets its deb-src twin with
# the same options and keyring, and nothing disabled sneaks in.
#   derive_sources_test.sh <build-deps.sh> <scratch-dir>
set -euo pipefail
script=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir/etc/sources.list.d" "$dir/want/sources.list.d"
etc=$dir/etc
want=$dir/want

cat >"$etc/sources.list" <<'X'
deb file:/srv/a bookworm main
# deb file:/srv/commented bookworm main
deb-src file:/srv/a bookworm main
  deb [arch=amd64 signed-by=/usr/share/keyrings/b.gpg] file:/srv/b stable main contrib
debian-fake file:/srv/not-a-type x y
X
cat >"$want/sources.list" <<'X'
deb-src file:/srv/a bookworm main
deb-src [arch=amd64 signed-by=/usr/share/keyrings/b.gpg] file:/srv/b stable main contrib
X

# What follows "Types:" in each deb822 stanza, which its twin must keep whole.
c='URIs: file:/srv/c
Suites: bookworm bookworm-updates
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGQ
 -----END PGP PUBLIC KEY BLOCK-----'
d='URIs: file:/srv/d
Suites: trixie
Components: main
Enabled: yes'
h='URIs: file:/srv/h
Suites: sid
Components: main non-free-firmware'
cat >"$etc/sources.list.d/mixed.sources" <<X
# a comment before the first stanza
Types: deb
# a comment inside a stanza
$c

Types: deb deb-src
$d

Types: deb-src
URIs: file:/srv/only-src
Suites: sid
Components: main

Types: deb
URIs: file:/srv/off
Suites: sid
Components: main
Enabled: no


Types: deb
$h
X
printf 'Types: deb-src\n%s\n\n' "$c" "$d" "$h" >"$want/sources.list.d/mixed.sources"

printf 'deb file:/srv/e bookworm main\n' >"$etc/sources.list.d/extra.list"
printf 'deb-src file:/srv/e bookworm main\n' >"$want/sources.list.d/extra.list"
# Disabled to apt: neither .list nor .sources.
printf 'deb file:/srv/f stable main\n' >"$etc/sources.list.d/tool.list.disabled-by-admin"
printf 'Types: deb\nURIs: file:/srv/g\nSuites: x\nComponents: main\n' >"$etc/sources.list.d/node.sources.save"

"$script" --derive-sources "$etc" "$dir/got"
diff -r "$want" "$dir/got"
echo "derived sources as expected"
