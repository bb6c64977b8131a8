# Fetching Debian's source packages of the libraries the cross builds need;
# sourced by scripts/build-windows-deps.sh and scripts/build-web-deps.sh.
# The sourcing script defines say() and, before fetch() and step(), $work
# and $log.

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi

# The versions of a source package apt knows, newest first.
source_versions() {
    apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u | {
        sorted=""
        while read -r v; do
            rest=""; placed=""
            for w in $sorted; do
                if [ -z "$placed" ] && dpkg --compare-versions "$v" gt "$w"; then
                    rest="$rest $v"; placed=1
                fi
                rest="$rest $w"
            done
            [ -n "$placed" ] || rest="$rest $v"
            sorted=$rest
        done
        echo $sorted
    }
}

# apt needs a deb-src entry to fetch source packages: one per binary entry,
# for the same archives and suites.
ensure_source_entries() {
    if [ -z "$(source_versions lib3ds)" ]; then
        list=/etc/apt/sources.list.d/velmora-deb-src.sources
        if [ ! -f "$list" ]; then
            say "adding source entries for the machine's archives ($list)"
            for f in /etc/apt/sources.list.d/*.sources; do
                [ -f "$f" ] || continue
                # Each enabled stanza that lists binary packages, once more for sources.
                awk 'BEGIN { RS = ""; ORS = "\n\n" }
                     /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && !/(^|\n)Types:[^\n]*deb-src/ \
                     && !/(^|\n)Enabled:[ \t]*no/ {
                         sub(/(^|\n)Types:[^\n]*/, "Types: deb-src"); print }' "$f"
            done > /tmp/velmora-deb-src.$$
            if [ -f /etc/apt/sources.list ]; then
                sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list \
                    > /tmp/velmora-deb-src-list.$$
                if [ -s /tmp/velmora-deb-src-list.$$ ]; then
                    $SUDO cp /tmp/velmora-deb-src-list.$$ /etc/apt/sources.list.d/velmora-deb-src.list
                fi
                rm -f /tmp/velmora-deb-src-list.$$
            fi
            $SUDO cp /tmp/velmora-deb-src.$$ "$list"
            rm -f /tmp/velmora-deb-src.$$
        fi
        $SUDO apt-get update -q >&2
    fi
}

# Runs a step with its output in the log; on failure shows the log's end.
step() {
    echo "== $*" >> "$log"
    if ! "$@" >> "$log" 2>&1; then
        say "failed: $*"
        tail -n 40 "$log" >&2
        exit 1
    fi
}

# Fetches and unpacks one source package into $work/src/<name>: the newest
# version whose .dsc and upstream tarball can be had (a mirror may lack a
# security update's files). When its Debian patch tarball cannot be had, the
# upstream .orig tarball is used alone.
fetch() {
    name=$1
    dir=$work/src/$name
    for version in $(source_versions "$name"); do
        dl=$work/dl-$name-$version
        mkdir -p "$dl"
        cd "$dl"
        # apt's download user must be able to write here.
        if id _apt >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then chown _apt "$dl"; fi
        if apt-get source --download-only -q "$name=$version" >> "$log" 2>&1; then
            step dpkg-source -x "$(ls ./*.dsc)" "$dir"
            say "$name $version"
            echo "$version" > "$dl/built-version"
            echo "$dl" > "$work/dl-of-$name"
            cd "$work"
            return
        fi
        orig=$(ls ./*.orig.tar.* 2>/dev/null | head -n 1)
        if [ -n "$(ls ./*.dsc 2>/dev/null)" ] && [ -n "$orig" ]; then
            say "$name $version: Debian's patches could not be fetched; building the upstream $(basename "$orig") alone"
            mkdir -p "$dir"
            step tar -xf "$orig" -C "$dir" --strip-components=1
            # Only the tarball that was built is its source.
            rm -f ./*.dsc ./*.debian.tar.* ./*.diff.*
            echo "$version, the upstream tarball without Debian's patches" > "$dl/built-version"
            echo "$dl" > "$work/dl-of-$name"
            cd "$work"
            return
        fi
        say "$name $version could not be fetched; trying an older version"
    done
    say "no version of $name could be fetched"
    tail -n 20 "$log" >&2
    exit 1
}
