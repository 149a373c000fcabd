# Sourced by the end-to-end tests: a private work folder removed at exit
# (together with any background process named in $server), fail(), and
# plugin_env, which keeps the plug-in's temp files and logs inside $work and
# describes the system's Java runtime in the registry file.
set -euo pipefail
work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The registry file: the system's Java runtime with the VM library given
# (default: the real one), the machine's data folder and the documents folder.
write_registry() { # [runtime library path]
  local java_home
  java_home=$(readlink -f /usr/lib/jvm/default-java)
  mkdir -m 700 -p "$work/appdata"
  cat > "$work/registry.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]
"CurrentVersion"="17"

[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\17]
"JavaHome"="$java_home"
"RuntimeLib"="${1:-$java_home/lib/server/libjvm.so}"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Common AppData"="$work/appdata"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Personal"="$work/docs"
REG
  export VNT_REGISTRY="$work/registry.reg"
}

plugin_env() {
  mkdir -m 700 -p "$work/temp" "$work/docs"
  write_registry
  export TEMP="$work/temp" JAVA_TOOL_OPTIONS="-Djava.util.prefs.userRoot=$work/prefs"
  unset VNT_DEBUG_OUTPUT DISPLAY JAVA_HOME
}
