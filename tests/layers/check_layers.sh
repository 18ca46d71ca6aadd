#!/usr/bin/env bash
# Fails when a core layer includes a layer above it, or the window shell or
# the programs. Usage: check_layers.sh SRC_DIR LAYER... (the lowest first).
# Each folder of SRC_DIR but app and ui must be one of the layers, so a new
# folder cannot go unchecked.
set -u
src=$1
shift
declare -A rank
i=0
for layer in "$@"; do
    rank[$layer]=$i
    i=$((i + 1))
done
above_all=$i  # app and ui sit above every layer

status=0
for dir in "$src"/*/; do
    name=$(basename "$dir")
    if [[ $name != app && $name != ui && -z ${rank[$name]+x} ]]; then
        echo "src/$name is in no layer: add it to QUILLON_LAYERS in src/CMakeLists.txt"
        status=1
    fi
done

checked=0
for layer in "$@"; do
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        text=${rest#*:}
        if [[ $text == *../* ]]; then
            echo "src/${file#"$src"/}:$line: includes by a relative path: $text"
            status=1
            continue
        fi
        # The folder named before the first "/", between quotes or brackets.
        [[ $text =~ include[[:space:]]*[\"\<]([^/\"\>]+)/ ]] || continue
        target=${BASH_REMATCH[1]}
        if [[ $target == app || $target == ui ]]; then
            target_rank=$above_all
        elif [[ -n ${rank[$target]+x} ]]; then
            target_rank=${rank[$target]}
        else
            continue  # a system or third-party header
        fi
        checked=$((checked + 1))
        if ((target_rank > rank[$layer])); then
            echo "src/${file#"$src"/}:$line: $layer includes $target/, which is above it"
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*/' "$src/$layer")
done

# A pattern that matched nothing would pass every tree.
if ((checked == 0)); then
    echo "no includes of another folder were found under $src: the check is broken"
    status=1
fi
((status == 0)) && echo "$checked includes between folders, all downwards: $*"
exit $status
