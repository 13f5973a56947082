#!/bin/bash
# The shipped programs are single files that run on a clean Windows: GUI subsystem, the right machine, nothing
# imported but Windows' own DLLs, and the manifest that asks for current controls and every display scale.
#   check_executables.sh WIN64_EXE WIN32_EXE
set -u
status=0
bad() { echo "$*"; status=1; }
check() {
  local exe=$1 objdump=$2 format=$3 info dll manifest want
  info=$(file -b "$exe") && case "$info" in "$format (GUI)"*) ;; *) bad "$exe: expected $format (GUI), got: $info" ;; esac
  for dll in $($objdump -p "$exe" | awk '/DLL Name:/ { print toupper($3) }' | sort -u); do
    case "$dll" in
      KERNEL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|COMDLG32.DLL|SHELL32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
      *) bad "$exe imports $dll, which a clean Windows does not have" ;;
    esac
  done
  # The resource compiler reads the executable's resources back as a script.
  manifest=$(${objdump%objdump}windres -i "$exe" -O rc 2>/dev/null | awk '/^1 24 /,/^END/' | tr -d '"')
  for want in 'name=Microsoft.Windows.Common-Controls version=6.0.0.0' '>PerMonitorV2</dpiAwareness>' \
              '>true</dpiAware>' '>true</longPathAware>' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' \
              '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'; do
    case "$manifest" in *"$want"*) ;; *) bad "$exe: the manifest lacks $want" ;; esac
  done
}
check "$1" x86_64-w64-mingw32-objdump "PE32+ executable"
[ -z "${2:-}" ] || check "$2" i686-w64-mingw32-objdump "PE32 executable"
[ $status -eq 0 ] && echo "executables: GUI, imports only Windows' own DLLs, manifest for current controls and every scale"
exit $status
