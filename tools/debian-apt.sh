# shellcheck shell=bash
# Sourced by the scripts that take packages from the Debian archive: apt
# folders of their own, so that the machine's apt configuration and state stay
# untouched.
#
#     source tools/debian-apt.sh
#     private_apt "$dir" deb-src trixie   # fills apt_options, runs apt-get update
#     apt-get "${apt_options[@]}" -qq source --download-only python3.13
#
# LORVIK_DEBIAN_MIRROR overrides the archive the machine's apt sources name.

# The Debian archive of the machine's apt sources.
mirror() {
    [[ -n ${LORVIK_DEBIAN_MIRROR:-} ]] && { echo "$LORVIK_DEBIAN_MIRROR"; return; }
    local uri
    uri=$({
        sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n'
        sed -n 's/^deb\(-src\)\?[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]\+\).*/\3/p' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
    } | grep -E '/debian/?$' | head -n 1)
    [[ -n $uri ]] || { echo "error: no Debian archive in the apt sources; set LORVIK_DEBIAN_MIRROR" >&2; return 1; }
    echo "${uri%/}"
}

# private_apt DIR TYPE SUITE: apt folders in DIR (made afresh) for the main
# component of SUITE, with package indices (TYPE deb) or source indices
# (deb-src); sets apt_options for apt-get and apt-cache.
private_apt() {
    local dir=$1 type=$2 suite=$3 archive
    archive=$(mirror) || return
    rm -rf "$dir"
    mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
    echo "$type [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive $suite main" \
        >"$dir/sources.list"
    apt_options=(-o "Dir::Etc::sourcelist=$dir/sources.list" -o "Dir::Etc::sourceparts=$dir/sources.list.d"
        -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache" -o "APT::Sandbox::User=root")
    apt-get "${apt_options[@]}" -qq update >&2 || return
}
