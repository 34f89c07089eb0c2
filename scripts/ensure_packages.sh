# Sourced by the project's scripts: installs with apt-get whatever Debian
# package is missing. Usage: ensure_packages NAME...
ensure_packages() {
  local missing=()
  local name
  for name in "$@"; do
    dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" || missing+=("$name")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# What the host build and its tests need.
HOST_PACKAGES=(cmake ninja-build g++ make pkgconf libgtest-dev libgmock-dev libbenchmark-dev)
