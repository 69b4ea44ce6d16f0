#!/usr/bin/env bash
# Installs a build into a temporary prefix, then, using only what was installed: builds and
# runs the example hosts (C against the shared and the static library through
# find_package(lema), C through pkg-config, C++ through find_package), checks what the shared
# library exports, compiles every installed header on its own, runs the installed lemald, and
# builds and runs the code that the installed explorer gives for a call.
#
#   scripts/test-install.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: scripts/test-install.sh BUILD_DIR}" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --build "$build" --target lema_shared lemald -j "$(nproc)" >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null

# A sanitizer build installs instrumented libraries: whatever links them needs the same runtime.
flags=()
if grep -q '^LEMA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  flags=(-fsanitize=address,undefined)
fi
cmake_flags=(-DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release
             "-DCMAKE_C_FLAGS=${flags[*]}" "-DCMAKE_CXX_FLAGS=${flags[*]}"
             "-DCMAKE_EXE_LINKER_FLAGS=${flags[*]}")

expected="Caption: Elenco valute
StringaSQL: SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "
failed=0
check() {
  local name=$1 got
  shift
  if got=$("$@") && [[ "$got" == "$expected" ]]; then
    echo "ok: $name"
  else
    echo "FAILED: $name printed:"
    printf '%s\n' "$got"
    failed=1
  fi
}

for example in c_host cpp_host; do
  cmake -S "$src/examples/$example" -B "$work/$example" --no-warn-unused-cli "${cmake_flags[@]}" >/dev/null
  cmake --build "$work/$example" >/dev/null
done
check "C host, shared library" "$work/c_host/c_host"
check "C host, static library" "$work/c_host/c_host_static"
check "C++ host" "$work/cpp_host/cpp_host"

pc=$(find "$prefix" -name lema.pc)
libdir=$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --variable=libdir lema)
# shellcheck disable=SC2046
cc "${flags[@]}" "$src/examples/c_host/main.c" -o "$work/pc_host" -Wl,-rpath,"$libdir" \
  $(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs lema)
check "C host, pkg-config" "$work/pc_host"

if ! readelf -d "$libdir/liblema.so" | grep -q 'SONAME.*\[liblema\.so\.1\]'; then
  echo "FAILED: liblema.so has no versioned soname"
  failed=1
fi

# The shared library exports the library only: none of the recording stand-ins of testing/
# and nothing else that only lemald and the tests use.
exported=$(nm -D --defined-only "$libdir/liblema.so" | c++filt)
if grep -E 'StandIn|RecordingHost|InteractionSink|Interaction\b|TextLog|CaseInsensitiveLess|make_control|host::pick|lemald|testing' <<<"$exported"; then
  echo "FAILED: liblema.so exports stand-in or test-only symbols (above)"
  failed=1
else
  echo "ok: liblema.so exports $(wc -l <<<"$exported") symbols, none of them a stand-in"
fi

headers=0
while IFS= read -r header; do
  headers=$((headers + 1))
  if ! echo "#include <$header>" |
      c++ -std=c++20 -fsyntax-only -I"$prefix/include" -I"$prefix/include/lema" -x c++ -; then
    echo "FAILED: $header does not compile on its own"
    failed=1
  fi
done < <(cd "$prefix/include" && find lema -name '*.h' | sort)
if ! echo '#include <lema/lema.h>' |
    cc -std=c99 -Wall -Wextra -Wpedantic -Werror -fsyntax-only -I"$prefix/include" -x c -; then
  echo "FAILED: lema.h is not plain C"
  failed=1
fi
echo "ok: $headers installed headers compile on their own"

if "$prefix/bin/lemald" run "$src/tests/scripts/example.json" | cmp -s - "$src/tests/scripts/example.expected"; then
  echo "ok: installed lemald"
else
  echo "FAILED: installed lemald"
  failed=1
fi
# The explorer's call as code, built and run against the installed package.
if ! python3 "$src/tests/explorer/code_forms.py" "$prefix" "$(dirname "$pc")" "$work" "${flags[@]}"; then
  echo "FAILED: the explorer's code forms"
  failed=1
fi
exit $failed
