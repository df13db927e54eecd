#!/usr/bin/env bash
# The layering check must catch a wrong-way arrow: each small tree below
# breaks one rule, and check-layers must fail on it (and pass on a clean one).
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

tree() {  # tree NAME: a minimal clean tree in $work/NAME
    mkdir -p "$work/$1/formats" "$work/$1/engine/core" "$work/$1/engine/script"
    printf 'target_link_libraries(mirelo_formats PUBLIC z)\n' >"$work/$1/formats/CMakeLists.txt"
    printf '#include "engine/core/services.h"\n' >"$work/$1/engine/script/story.cpp"
}
expect() {  # expect NAME CODE
    "$check" "$work/$1" >"$work/$1.log" 2>&1
    local got=$?
    if [ "$got" -ne "$2" ]; then
        echo "wrong_way_test: $1: check-layers exited $got, expected $2"
        cat "$work/$1.log"
        status=1
    fi
}

tree clean
expect clean 0

tree core_includes_story
printf '#include "engine/script/interpreter.h"\n' >"$work/core_includes_story/engine/core/engine.cpp"
expect core_includes_story 1

tree formats_includes_platform
printf '#include "platform/device_file.h"\n' >"$work/formats_includes_platform/formats/rbp.h"
expect formats_includes_platform 1

tree formats_links_platform
printf 'target_link_libraries(mirelo_formats PUBLIC\n    mirelo_platform)\n' \
    >"$work/formats_links_platform/formats/CMakeLists.txt"
expect formats_links_platform 1

tree engine_includes_module
printf '#include "modules/xaudio/xaudio_abi.h"\n' >"$work/engine_includes_module/engine/core/x.h"
expect engine_includes_module 1

tree raw_mmap
printf 'void* p = ::mmap(nullptr, 4, 0, 0, 0, 0);\n' >"$work/raw_mmap/engine/script/map.cpp"
expect raw_mmap 1

exit $status
