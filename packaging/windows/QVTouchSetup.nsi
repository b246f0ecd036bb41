; QVTouchSetup.exe: the touch driver qvtouch.sys with its service, the calibration program, the
; settings applet and the post-install prompt, which runs last. A 64-bit installer, so that the
; driver's service is a native one (a service made by a 32-bit process is marked WOW64) and the
; driver lands in the system's own drivers folder.
;
; makensis /DVERSION=... /DDRIVER=qvtouch.sys /DCALIBRATION=qvsercalib.exe /DAPPLET=QVTcpl.cpl
;          /DPROMPT=Tollwen.exe /DPROGRAM_BITS=32 /DSETTINGS=settings.nsh /DOUTFILE=... this file
; SETTINGS holds one `!insertmacro DefaultSetting NAME VALUE` per driver setting.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include WinMessages.nsh

Name "QVTouch"
Caption "QVTouch ${VERSION} Setup"
OutFile "${OUTFILE}"
ShowInstDetails show
ShowUninstDetails show
Page instfiles
UninstPage instfiles

!define SERVICE "QVTouch"
!define SERVICE_KEY "System\CurrentControlSet\Services\QVTouch"
!define PARAMETERS_KEY "${SERVICE_KEY}\Parameters"
!define DRIVER_FILE "$SYSDIR\drivers\qvtouch.sys"
!define DRIVER_IMAGE_PATH "\SystemRoot\System32\drivers\qvtouch.sys"
!define CURRENT_VERSION_KEY "Software\Microsoft\Windows\CurrentVersion"
!define UNINSTALL_KEY "${CURRENT_VERSION_KEY}\Uninstall\QVTouch"
!define UNINSTALLER "uninstall.exe"

; The service: a kernel driver (type 1) started by the system at boot (start 1), in the group that
; loads before the mouse class driver looks for pointer ports, a failure logged (error control 1).
!define SERVICE_KERNEL_DRIVER 1
!define SERVICE_SYSTEM_START 1
!define SERVICE_ERROR_NORMAL 1
!define SERVICE_GROUP "Pointer Port"
!define SC_MANAGER_ALL_ACCESS 0xF003F
!define SERVICE_ALL_ACCESS 0xF01FF
!define SERVICE_NO_CHANGE 0xFFFFFFFF
!define SERVICE_CONTROL_STOP 1
!define SERVICE_STOPPED 1
!define ERROR_SERVICE_EXISTS 1073
!define IDCANCEL 2

; The programs' folders for their bitness: where they look for each other (<ProgramFilesDir> as
; they read it, in their own view of the registry) and where the Control Panel finds their applet.
!if ${PROGRAM_BITS} == 32
  !define PROGRAM_REGISTRY_VIEW 32
  !define APPLET_FOLDER "$WINDIR\SysWOW64"
!else
  !define PROGRAM_REGISTRY_VIEW 64
  !define APPLET_FOLDER "$SYSDIR"
!endif

Var Programs  ; <ProgramFilesDir>\QVSerTouch
; The longest $Programs whose quoted command line "$Programs\qvsercalib.exe" fits, with its
; terminating zero, into the 260 bytes that Tollwen gives it.
!define LONGEST_PROGRAMS_FOLDER 242

; $Programs, from ProgramFilesDir as the programs read it. (The 32-bit programs' view holds what
; the 64-bit view calls "ProgramFilesDir (x86)", which serves where that view is not set up.)
!macro FindProgramsFolder
  SetRegView ${PROGRAM_REGISTRY_VIEW}
  ReadRegStr $Programs HKLM "${CURRENT_VERSION_KEY}" "ProgramFilesDir"
  SetRegView 64
  !if ${PROGRAM_BITS} == 32
    ${If} $Programs == ""
      ReadRegStr $Programs HKLM "${CURRENT_VERSION_KEY}" "ProgramFilesDir (x86)"
    ${EndIf}
  !endif
  StrCpy $Programs "$Programs\QVSerTouch"
!macroend

; A driver setting's default, written only when the value is missing, so that a reinstall keeps
; what was stored (a calibration, the COM port).
!macro DefaultSetting NAME VALUE
  ClearErrors
  ReadRegDWORD $0 HKLM "${PARAMETERS_KEY}" "${NAME}"
  ${If} ${Errors}
    WriteRegDWORD HKLM "${PARAMETERS_KEY}" "${NAME}" ${VALUE}
  ${EndIf}
!macroend

; Stops the driver's service if it runs, and waits up to 10 s for it to stop. $1: the service
; manager.
!macro StopService UN
Function ${UN}StopService
  System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i ${SERVICE_ALL_ACCESS}) p.r2'
  ${If} $2 P<> 0
    System::Call '*(i, i, i, i, i, i, i) p.r3'
    System::Call 'advapi32::ControlService(p r2, i ${SERVICE_CONTROL_STOP}, p r3) i.r0'
    ${For} $4 1 100
      System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i.r0'
      System::Call '*$3(i, i .r5)'
      ${If} $5 = ${SERVICE_STOPPED}
        ${ExitFor}
      ${EndIf}
      Sleep 100
    ${Next}
    System::Free $3
    System::Call 'advapi32::CloseServiceHandle(p r2)'
  ${EndIf}
FunctionEnd
!macroend
!insertmacro StopService ""
!insertmacro StopService "un."

; Ends what runs of the programs: the calibration, and the prompt (as its No).
!macro EndPrograms
  FindWindow $0 "QVTCALIBA" "QUVO TOUCH CALIBRAY"
  ${If} $0 P<> 0
    SendMessage $0 ${WM_CLOSE} 0 0
  ${EndIf}
  FindWindow $0 "#32770" "QVHWTOUCH SETUP"
  ${If} $0 P<> 0
    SendMessage $0 ${WM_COMMAND} ${IDCANCEL} 0
  ${EndIf}
!macroend

Section "QVTouch"
  SetRegView 64
  !insertmacro FindProgramsFolder
  !insertmacro EndPrograms

  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p.r1'
  ${If} $1 P= 0
    DetailPrint "The service manager cannot be opened: administrator rights are needed."
    SetErrorLevel 5
    Abort
  ${EndIf}
  Call StopService

  DetailPrint "Installing the driver into ${DRIVER_FILE}"
  SetOutPath "$SYSDIR\drivers"
  File "/oname=qvtouch.sys" "${DRIVER}"
  !include "${SETTINGS}"

  System::Call 'advapi32::CreateServiceW(p r1, w "${SERVICE}", w "${SERVICE}", \
      i ${SERVICE_ALL_ACCESS}, i ${SERVICE_KERNEL_DRIVER}, i ${SERVICE_SYSTEM_START}, \
      i ${SERVICE_ERROR_NORMAL}, w "${DRIVER_IMAGE_PATH}", w "${SERVICE_GROUP}", p 0, p 0, p 0, \
      p 0) p.r2 ?e'
  Pop $0
  ${If} $2 P= 0
  ${AndIf} $0 = ${ERROR_SERVICE_EXISTS}
    ; A reinstall: the service as this installer makes it.
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i ${SERVICE_ALL_ACCESS}) p.r2'
    System::Call 'advapi32::ChangeServiceConfigW(p r2, i ${SERVICE_KERNEL_DRIVER}, \
        i ${SERVICE_SYSTEM_START}, i ${SERVICE_ERROR_NORMAL}, w "${DRIVER_IMAGE_PATH}", \
        w "${SERVICE_GROUP}", p 0, p 0, p 0, p 0, p 0) i.r0'
  ${EndIf}
  ${If} $2 P= 0
    DetailPrint "The driver's service cannot be created (error $0)."
    System::Call 'advapi32::CloseServiceHandle(p r1)'
    SetErrorLevel 1
    Abort
  ${EndIf}
  System::Call 'advapi32::StartServiceW(p r2, i 0, p 0) i.r0 ?e'
  Pop $3
  ${If} $0 = 0
    DetailPrint "The driver starts with the system (it did not start now: error $3)."
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r2)'
  System::Call 'advapi32::CloseServiceHandle(p r1)'

  DetailPrint "Installing the programs into $Programs"
  SetOutPath "$Programs"
  File "/oname=qvsercalib.exe" "${CALIBRATION}"
  File "/oname=Tollwen.exe" "${PROMPT}"
  WriteUninstaller "$Programs\${UNINSTALLER}"
  SetOutPath "${APPLET_FOLDER}"
  File "/oname=QVTcpl.cpl" "${APPLET}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "QVTouch"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$Programs\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$Programs\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The last step: schedule the calibration and offer to restart. A silent installation asks
  ; nothing and restarts nothing: it schedules the calibration as Tollwen does, with the same
  ; RunOnce value, and as Tollwen schedules nothing when the quoted command line would not fit
  ; its 260-byte buffer.
  ${If} ${Silent}
    StrLen $0 "$Programs"
    ${If} $0 <= ${LONGEST_PROGRAMS_FOLDER}
      SetRegView ${PROGRAM_REGISTRY_VIEW}
      WriteRegStr HKLM "${CURRENT_VERSION_KEY}\RunOnce" "qvsercalib" '"$Programs\qvsercalib.exe"'
      SetRegView 64
    ${EndIf}
  ${Else}
    Exec '"$Programs\Tollwen.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetRegView 64
  !insertmacro FindProgramsFolder
  !insertmacro EndPrograms

  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p.r1'
  ${If} $1 P<> 0
    Call un.StopService
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE}", i ${SERVICE_ALL_ACCESS}) p.r2'
    ${If} $2 P<> 0
      System::Call 'advapi32::DeleteService(p r2) i.r0'
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Delete /REBOOTOK "${DRIVER_FILE}"

  Delete /REBOOTOK "${APPLET_FOLDER}\QVTcpl.cpl"
  Delete "$Programs\qvsercalib.exe"
  Delete "$Programs\Tollwen.exe"
  Delete "$Programs\${UNINSTALLER}"
  RMDir "$Programs"

  ; The calibration that Tollwen scheduled, in the programs' view of the registry.
  SetRegView ${PROGRAM_REGISTRY_VIEW}
  DeleteRegValue HKLM "${CURRENT_VERSION_KEY}\RunOnce" "qvsercalib"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
