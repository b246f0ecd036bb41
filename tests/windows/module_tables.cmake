# Checks a module's import and export tables, as objdump -p prints them:
#   cmake -DOBJDUMP=... -DMODULE=QVTcpl.cpl [-DEXPORTS=CPlApplet] -P module_tables.cmake
# The module may import only the system's own libraries (nothing a program would have to ship),
# and none of their functions that Server 2003 lacks; with EXPORTS given, it must export exactly
# those names.
cmake_minimum_required(VERSION 3.25)
set(system_libraries ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL)
# Functions that came after Server 2003 and that the toolchain's own libraries reach for: a module
# importing one does not start there.
set(later_functions GetTickCount64 InitializeConditionVariable SleepConditionVariableCS
  WakeConditionVariable WakeAllConditionVariable InitializeSRWLock AcquireSRWLockExclusive
  InitOnceExecuteOnce)

execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE tables RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump cannot read ${MODULE}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${tables}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" library "${import}")
  string(TOUPPER "${library}" library)
  if(NOT library IN_LIST system_libraries)
    message(FATAL_ERROR "${MODULE} imports ${library}, which the system does not have")
  endif()
endforeach()

foreach(function IN LISTS later_functions)
  if(tables MATCHES "[\t ]${function}\n")
    message(FATAL_ERROR "${MODULE} imports ${function}, which Server 2003 does not have")
  endif()
endforeach()

if(DEFINED EXPORTS)
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${tables}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" names "${table}")
  list(TRANSFORM names REPLACE "^\\[ *[0-9]+\\] " "")
  if(NOT names STREQUAL EXPORTS)
    message(FATAL_ERROR "${MODULE} exports \"${names}\" instead of \"${EXPORTS}\"")
  endif()
endif()
