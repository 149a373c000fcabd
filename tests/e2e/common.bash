# Sourced by the end-to-end tests: a private work folder removed at exit
# (together with any background process named in $server), fail(), and
# plugin_env, which keeps the plug-in's temp files and logs inside $work.
set -euo pipefail
work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

plugin_env() {
  mkdir -m 700 -p "$work/temp" "$work/docs"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"Personal"="%s"\n' \
    "$work/docs" > "$work/registry.reg"
  export TEMP="$work/temp" VNT_REGISTRY="$work/registry.reg"
  unset VNT_DEBUG_OUTPUT
}
