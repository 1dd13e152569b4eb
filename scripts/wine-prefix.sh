# Wine prefixes for the tests, sourced by scripts/with-wine, scripts/own-prefix and scripts/bench.
#
#   vq_template CACHE_DIR      prints the path of a pristine template prefix, made when missing
#   vq_clone TEMPLATE PREFIX   a new prefix from the template, in a fraction of a second
#   vq_start PREFIX            its persistent wineserver and background services
#   vq_stop PREFIX             ends every Wine process of the prefix and removes it
#
# Expects WINEARCH, WINEDEBUG and WINEDLLOVERRIDES to be set by the caller.

# What the template holds besides a fresh prefix. Changing this text makes a new template.
vq_template_recipe() {
    local prefix=$1
    # Without a window manager (Xvfb runs none), Wine's X11 driver waits 2 s for one to answer
    # whenever it takes down a window it left to a window manager. Unmanaged windows skip it.
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    WINEPREFIX="$prefix" wineserver -w
    # wineboot links the user's Desktop, Documents, Music, ... to the home folder of whoever made
    # the prefix. A test writing a shortcut to its desktop would write into that person's home,
    # and every prefix copied from the template would share one desktop. Folders of their own
    # keep each prefix's files inside it.
    local link
    while IFS= read -r -d '' link; do
        rm "$link" && mkdir "$link"
    done < <(find "$prefix/drive_c/users" -type l -print0)
}

# The folders of Wine's system files, which a prefix only reads: clones share them as hard links
# instead of copying 650 MB. Wine writes them only when it updates a prefix to a new Wine
# version, and the template's key holds the version, so a template is never updated. The
# registry, which Wine does write, is copied: it lies outside these folders.
vq_shared_folders=" drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs "

# Sizes and times of the shared files: a test that wrote one in place would change the template
# of every later run, so a template whose files changed is made anew.
vq_shared_fingerprint() {
    local dir
    for dir in $vq_shared_folders; do
        [ -d "$1/$dir" ] && find "$1/$dir" -type f -printf '%P %s %T@\n'
    done | sort
}

vq_template() {
    local cache=$1 key template work
    key=$( {
        wine --version
        dpkg-query -W -f='${Package} ${Version}\n' wine wine64 libwine 2>/dev/null || true
        echo "$WINEARCH $(id -un)"
        declare -f vq_template_recipe
        echo "$vq_shared_folders"
    } | sha256sum | cut -c1-16)
    template=$cache/$key
    mkdir -p "$cache"
    # One maker at a time; a second make test waits and then finds the template made.
    exec {lock}>"$cache/.lock"
    flock "$lock"
    if [ -f "$template/.vq-template-complete" ] &&
        ! cmp -s <(vq_shared_fingerprint "$template") "$template/.vq-shared-files"; then
        echo "with-wine: the template's system files changed; making it anew" >&2
        rm -rf "$template"
    fi
    if [ ! -f "$template/.vq-template-complete" ]; then
        echo "with-wine: making the Wine template prefix (once per Wine version) in $template" >&2
        rm -rf "$template"
        # Made aside and renamed when complete, so an interrupted run leaves no half template.
        work=$(mktemp -d "$cache/.new.XXXXXX")
        WINEPREFIX="$work" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$work" wineserver -w
        vq_template_recipe "$work"
        vq_shared_fingerprint "$work" >"$work/.vq-shared-files"
        touch "$work/.vq-template-complete"
        mv "$work" "$template"
        # Templates of other Wine versions are of no further use.
        find "$cache" -mindepth 1 -maxdepth 1 -not -name "$key" -not -name .lock -exec rm -rf {} +
    fi
    flock -u "$lock"
    exec {lock}>&-
    echo "$template"
}

vq_clone() {
    local template=$1 prefix=$2
    _vq_clone_folder "$template" "$prefix" ""
}
_vq_clone_folder() {
    local from=$1 to=$2 relative=$3 entry name path
    mkdir -p "$to"
    for entry in "$from"/* "$from"/.[!.]*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        name=${entry##*/}
        path=${relative:+$relative/}$name
        if [[ $vq_shared_folders == *" $path "* ]]; then
            cp -al "$entry" "$to/"
        elif [[ $vq_shared_folders == *" $path/"* ]]; then
            _vq_clone_folder "$entry" "$to/$name" "$path"
        else
            cp -a "$entry" "$to/"
        fi
    done
}

vq_start() {
    WINEPREFIX="$1" wineserver -p
    # The prefix's background services, started now and detached from any output: a service
    # started by the first test would inherit that test's stdout and keep CTest waiting for the
    # pipe to close.
    WINEPREFIX="$1" wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

vq_stop() {
    WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
    rm -rf "$1"
}
