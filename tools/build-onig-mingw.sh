#!/bin/bash
# Builds Oniguruma for the Windows builds. Debian packages it for Linux only
# (libonig-dev), so this compiles Debian's own source package of the very
# version installed natively with MinGW-w64, static only, into
# build/deps/onig-x86_64 and build/deps/onig-i686: both sides then run the same
# regular-expression engine. Does nothing when both are built for that version.
#   build-onig-mingw.sh    (run by install-deps.sh; root or sudo for apt)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
deps=$repo/build/deps
arches=(x86_64 i686)

# The source version: a binary-only rebuild (6.9.8-1+b1) comes from source 6.9.8-1.
version=$(dpkg-query -W -f='${source:Version}' libonig-dev)
source_name=$(dpkg-query -W -f='${source:Package}' libonig-dev)
built_all=1
for arch in "${arches[@]}"; do
  [ "$(cat "$deps/onig-$arch/.debian-version" 2>/dev/null)" = "$version" ] || built_all=0
done
[ $built_all -eq 0 ] || exit 0

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

# apt-get source needs deb-src entries. When the machine has none, add them
# for the Debian suites its deb entries use (same mirror, suites, components
# and key), in a file of their own.
has_source() {
  apt-cache showsrc "$source_name" 2>/dev/null | grep -qx "Version: $version"
}
if ! has_source; then
  if grep -rqsE --include='*.list' --include='*.sources' '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "apt has deb-src entries but no source of $source_name $version; run apt-get update or add the suite" >&2
    exit 1
  fi
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  entries=$(python3 - "$codename" <<'EOF'
import glob, re, sys
codename = sys.argv[1]
def ours(suite):
    return suite == codename or suite.startswith(codename + "-")
out = []
# deb822 files: each enabled stanza of type deb, its suites narrowed to ours.
for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
    for stanza in re.split(r"\n[ \t]*\n", open(path).read()):
        fields, key = {}, None
        for line in stanza.splitlines():
            if line.startswith("#"):
                continue
            if line[:1] in (" ", "\t") and key:
                fields[key][1].append(line)
                continue
            name, _, value = line.partition(":")
            key = name.strip().lower()
            fields[key] = [name.strip(), [value.strip()]]
        def value(k, default=""):
            return " ".join(fields[k][1]).strip() if k in fields else default
        suites = [s for s in value("suites").split() if ours(s)]
        if "deb" not in value("types").split() or value("enabled", "yes").lower() == "no" or not suites:
            continue
        lines = ["Types: deb-src", "Suites: " + " ".join(suites)]
        for k, (name, text) in fields.items():
            if k not in ("types", "suites", "enabled"):
                lines.append(name + ": " + "\n".join(text))
        out.append("\n".join(lines))
# One-line files.
for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
    try:
        text = open(path).read()
    except OSError:
        continue
    for line in text.splitlines():
        m = re.match(r"\s*deb\s+((?:\[[^]]*\]\s+)?)(\S+)\s+(\S+)\s+(.*)", line)
        if m and ours(m.group(3)):
            entry = ["Types: deb-src", "URIs: " + m.group(2), "Suites: " + m.group(3),
                     "Components: " + m.group(4).split("#")[0].strip()]
            for option in m.group(1).strip("[] \t").split():
                name, _, value = option.partition("=")
                if name == "signed-by":
                    entry.append("Signed-By: " + value)
            out.append("\n".join(entry))
print("\n\n".join(out))
EOF
)
  if [ -z "$entries" ]; then
    echo "no deb entry for $codename in the apt sources to copy as deb-src" >&2
    exit 1
  fi
  echo "adding deb-src entries for $codename: /etc/apt/sources.list.d/debian-src.sources"
  echo "$entries" | $sudo_cmd tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  $sudo_cmd apt-get update -qq
  if ! has_source; then
    echo "apt knows no source package $source_name $version, the version of the installed libonig-dev" >&2
    exit 1
  fi
fi

# The source package, unpacked with Debian's patches applied.
upstream=${version#*:}
upstream=${upstream%-*}
src=$deps/src/$source_name-$upstream
if [ "$(cat "$src/.debian-version" 2>/dev/null)" != "$version" ]; then
  rm -rf "$deps/src"
  mkdir -p "$deps/src"
  # As root, apt's download user could not write here; root downloads itself.
  sandbox=()
  [ "$(id -u)" -ne 0 ] || sandbox=(-o APT::Sandbox::User=root)
  (cd "$deps/src" && apt-get source -qq "${sandbox[@]}" "$source_name=$version" >/dev/null)
  got=$(cd "$src" && dpkg-parsechangelog -S Version)
  if [ "$got" != "$version" ]; then
    echo "source package $source_name is $got, the installed libonig-dev's source is $version" >&2
    exit 1
  fi
  echo "$version" >"$src/.debian-version"
fi

# Oniguruma's own CMake build, with the project's toolchain files; its static
# library and header are all the Windows builds need. The compiler's output
# goes to a log, shown when the build fails.
for arch in "${arches[@]}"; do
  prefix=$deps/onig-$arch
  [ "$(cat "$prefix/.debian-version" 2>/dev/null)" != "$version" ] || continue
  echo "building Oniguruma $version for $arch-w64-mingw32"
  work=$deps/build-onig-$arch
  rm -rf "$prefix" "$work"
  mkdir -p "$work"
  if ! { cmake -S "$src" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-$arch.cmake" \
           -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
           -DINSTALL_DOCUMENTATION=OFF &&
         cmake --build "$work" -j2 &&
         cmake --install "$work"; } >"$work.log" 2>&1; then
    tail -n 40 "$work.log" >&2
    echo "building Oniguruma for $arch failed; the whole log: $work.log" >&2
    exit 1
  fi
  echo "$version" >"$prefix/.debian-version"
done
