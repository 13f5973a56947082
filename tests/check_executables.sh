#!/bin/bash
# The shipped programs are single files that run on a clean Windows: GUI
# subsystem, the right machine, and nothing imported but Windows' own DLLs.
#   check_executables.sh WIN64_EXE WIN32_EXE
set -u
status=0
check() {
  local exe=$1 objdump=$2 format=$3
  local info
  info=$(file -b "$exe")
  case "$info" in
    "$format (GUI)"*) ;;
    *) echo "$exe: expected $format (GUI), got: $info"; status=1 ;;
  esac
  local dlls
  dlls=$($objdump -p "$exe" | awk '/DLL Name:/ { print toupper($3) }' | sort -u)
  for dll in $dlls; do
    case "$dll" in
      KERNEL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|SHELL32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
      *) echo "$exe imports $dll, which a clean Windows does not have"; status=1 ;;
    esac
  done
}
check "$1" x86_64-w64-mingw32-objdump "PE32+ executable"
[ -z "${2:-}" ] || check "$2" i686-w64-mingw32-objdump "PE32 executable"
[ $status -eq 0 ] && echo "executables: GUI, imports only Windows' own DLLs"
exit $status
