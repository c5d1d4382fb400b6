#!/usr/bin/env bash
# Installs everything the build and the tests need. Idempotent: returns quickly when all is present.
set -euo pipefail

need_sudo() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_sudo)

packages=(
    cmake ninja-build g++ clang clang-format
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xdotool imagemagick x11-utils fonts-wqy-zenhei locales
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libtinyxml2-dev
    libcli11-dev nlohmann-json3-dev libssl-dev e2fsprogs
    python3-jsonschema ansible
)

install_packages() {
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# A mirror in the middle of a sync fails an index or two; ask again, then go on with what came and remember
# the suites whose index is missing (unfetched_suites).
update_apt_lists() {
    local log attempt
    log=$(mktemp)
    for attempt in 1 2 3; do
        $SUDO apt-get update -qq 2>"$log" && { rm -f "$log"; unfetched_suites=; return; }
        [ $attempt -lt 3 ] && sleep $((attempt * 15))
    done
    cat "$log" >&2
    unfetched_suites=$(grep -o 'dists/[^/ ]*/' "$log" | cut -d/ -f2 | sort -u | paste -sd' ')
    rm -f "$log"
}

# A copy of apt's sources without the given suites, for one install: with a suite's amd64 index read but its
# i386 index missing, apt pairs an amd64 library with no i386 twin of the same version and the install fails;
# without the suite both come from the same index.
sources_without() {
    local parts f
    parts=$(mktemp -d)
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk -v drop="$*" 'BEGIN { split(drop, d, " "); for (i in d) gone[d[i]] = 1 }
            { n = split($0, w, /[ \t]+/); suite = w[2] ~ /^\[/ ? "" : w[3]
              for (i = 2; i <= n && suite == ""; i++) if (w[i] ~ /\]$/) suite = w[i + 2] }
            !(suite in gone)' "$f" > "$parts/$(basename "$f" .list).list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v drop="$*" 'BEGIN { RS = ""; split(drop, d, " "); for (i in d) gone[d[i]] = 1 }
            { n = split($0, line, "\n"); out = ""; keep = 1
              for (i = 1; i <= n; i++) {
                  if (line[i] ~ /^Suites:/) {
                      m = split(substr(line[i], 8), s, /[ \t]+/); kept = ""
                      for (j = 1; j <= m; j++) if (s[j] != "" && !(s[j] in gone)) kept = kept " " s[j]
                      if (kept == "") keep = 0
                      line[i] = "Suites:" kept
                  }
                  out = out line[i] "\n"
              }
              if (keep) printf "%s\n", out }' "$f" > "$parts/$(basename "$f")"
    done
    echo "$parts"
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    update_apt_lists
    install_packages "${missing[@]}" || {
        [ -n "$unfetched_suites" ] || exit 1
        echo "setup: the mirror gave no complete index of $unfetched_suites; installing without it" >&2
        sources=$(sources_without $unfetched_suites)
        trap 'rm -rf "$sources"' EXIT
        install_packages -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$sources" "${missing[@]}"
    }
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
