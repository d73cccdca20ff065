# shellcheck shell=bash
# Shell shared by the scripts (sourced, not run).

# banner LINE...: a notice that stands out in a long log, on stderr.
banner() {
  {
    echo
    echo "################################################################################"
    printf '## %s\n' "$@"
    echo "################################################################################"
    echo
  } >&2
}

# as_root COMMAND...: runs the command as root (through sudo when we are not).
as_root() {
  if [ "$(id -u)" -eq 0 ] || ! command -v sudo >/dev/null; then
    "$@"
  else
    sudo "$@"
  fi
}

# apt_install LOG PACKAGE...: installs Debian packages without questions,
# waiting for another apt to finish; what apt said goes to LOG.
apt_install() {
  local log="$1"
  shift
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends "$@" >"$log" 2>&1
}
