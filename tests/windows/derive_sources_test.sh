#!/usr/bin/env bash
# The Windows libraries' sources come through a private apt configuration made
# from the machine's own: every enabled deb entry gets its deb-src twin with
# the same options and keyring, and nothing disabled sneaks in.
#   derive_sources_test.sh <build-windows-deps.sh> <scratch-dir>
set -euo pipefail
script=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir/etc/sources.list.d" "$dir/want/sources.list.d"
etc=$dir/etc
want=$dir/want

cat >"$etc/sources.list" <<'X'
deb http://a.example/debian bookworm main
# deb http://commented.example/debian bookworm main
deb-src http://a.example/debian bookworm main
  deb [arch=amd64 signed-by=/usr/share/keyrings/b.gpg] http://b.example/x stable main contrib
debian-fake http://not-a-type.example/ x y
X
cat >"$want/sources.list" <<'X'
deb-src http://a.example/debian bookworm main
deb-src [arch=amd64 signed-by=/usr/share/keyrings/b.gpg] http://b.example/x stable main contrib
X

cat >"$etc/sources.list.d/mixed.sources" <<'X'
# a comment before the first stanza
Types: deb
# http://snapshot.example/archive/20250520T000000Z
URIs: http://c.example/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGQ
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb deb-src
URIs: http://d.example/debian
Suites: trixie
Components: main
Enabled: yes

Types: deb-src
URIs: http://only-src.example/debian
Suites: sid
Components: main

Types: deb
URIs: http://off.example/debian
Suites: sid
Components: main
Enabled: no


Types: deb
URIs: http://h.example/debian
Suites: sid
Components: main non-free-firmware
X
cat >"$want/sources.list.d/mixed.sources" <<'X'
Types: deb-src
URIs: http://c.example/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGQ
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb-src
URIs: http://d.example/debian
Suites: trixie
Components: main
Enabled: yes

Types: deb-src
URIs: http://h.example/debian
Suites: sid
Components: main non-free-firmware

X

printf 'deb http://e.example/debian bookworm main\n' >"$etc/sources.list.d/extra.list"
printf 'deb-src http://e.example/debian bookworm main\n' >"$want/sources.list.d/extra.list"
# Disabled to apt: neither .list nor .sources.
printf 'deb https://f.example/apt stable main\n' >"$etc/sources.list.d/tool.list.disabled-by-admin"
printf 'Types: deb\nURIs: https://g.example/\nSuites: x\nComponents: main\n' >"$etc/sources.list.d/node.sources.save"

"$script" --derive-sources "$etc" "$dir/got"
diff -r "$want" "$dir/got"
echo "derived sources as expected"
