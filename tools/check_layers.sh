#!/usr/bin/env bash
# Checks the include layers of the tree: model < base < editor | robot | sim < app < cli.
# A file may include its own folder and the layers below it, never a layer above or a peer beside
# it; a pure file (outside gui/) includes neither Qt nor a gui/ header, and cli/ no Qt.
# tests/, bench/ and fuzz/ may include anything.
#   check_layers.sh SOURCE_DIR            exit 1 and one line per offending include
#   check_layers.sh SOURCE_DIR --graph    the folder -> folder include counts
set -u
root=${1:?usage: check_layers.sh SOURCE_DIR [--graph]}
cd "$root" || exit 2
# Given the wrong folder it would find no file and report the layers as holding.
if [ ! -d src ] || [ ! -d cli ]; then
    echo "check_layers.sh: $root holds no src/ and cli/: give the project's root folder" >&2
    exit 2
fi

# Layer of a folder; peers share a rank.
rank() {
    case $1 in
    model) echo 0 ;; base) echo 1 ;; editor|robot|sim) echo 2 ;; app) echo 3 ;; cli) echo 4 ;; *) echo -1 ;;
    esac
}

# "file<TAB>included" for every #include of the tree's own sources and cli/.
includes() {
    find src cli -name '*.h' -o -name '*.cpp' | sort | while read -r file; do
        sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"][^>"]+)[>"].*/\1/p' "$file" |
            while read -r inc; do printf '%s\t%s\n' "$file" "$inc"; done
    done
}

# Folder of a source ("editor/gui", "cli") and of an included tree header, or "" for others.
folder_of_file() {
    case $1 in
    cli/*) echo cli ;;
    src/*/gui/*) echo "$1" | cut -d/ -f2,3 ;;
    src/*) echo "$1" | cut -d/ -f2 ;;
    esac
}
folder_of_include() {
    local path=${1#\"}
    case $1 in \"*) ;; *) return ;; esac
    local top=${path%%/*}
    [ "$(rank "$top")" -ge 0 ] || return
    case $path in */gui/*) echo "$top/gui" ;; *) echo "$top" ;; esac
}

if [ "${2:-}" = "--graph" ]; then
    includes | while IFS=$'\t' read -r file inc; do
        from=$(folder_of_file "$file")
        to=$(folder_of_include "$inc")
        [ -n "$to" ] && [ "${from%%/*}" != "${to%%/*}" ] && echo "$from -> $to"
    done | sort | uniq -c
    exit 0
fi

faults=0
while IFS=$'\t' read -r file inc; do
    from=$(folder_of_file "$file")
    top=${from%%/*}
    case $from in */gui) gui=1 ;; *) gui=0 ;; esac
    case $inc in
    \<Q*)
        if [ "$gui" = 0 ]; then
            echo "$file: Qt header ${inc#?} outside a gui/ folder"
            faults=$((faults + 1))
        fi
        continue ;;
    \<*) continue ;;
    esac
    to=$(folder_of_include "$inc")
    [ -n "$to" ] || continue
    to_top=${to%%/*}
    case $to in */gui) to_gui=1 ;; *) to_gui=0 ;; esac
    if [ "$to_top" != "$top" ] && [ "$(rank "$to_top")" -ge "$(rank "$top")" ]; then
        echo "$file: includes ${inc#?}, a layer above or beside $top"
        faults=$((faults + 1))
    elif [ "$to_gui" = 1 ] && [ "$gui" = 0 ] && [ "$top" != cli ]; then
        echo "$file: pure file includes the gui header ${inc#?}"
        faults=$((faults + 1))
    fi
done < <(includes)

if [ "$faults" -gt 0 ]; then
    echo "$faults include(s) break the layers"
    exit 1
fi
echo "layers hold"
