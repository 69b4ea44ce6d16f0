#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the demo need and the
# machine does not have yet.
set -euo pipefail
packages=(
  g++ cmake make pkg-config python3
  libsoci-dev libboost-dev libsqlite3-dev unixodbc-dev odbcinst libsqliteodbc tdsodbc
  nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  python3-sqlglot valgrind clang-format time
  libcpp-httplib-dev chromium chromium-driver python3-selenium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
