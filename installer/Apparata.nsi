; The Apparata installer: the 32-bit control library everywhere and the 64-bit one on 64-bit
; Windows, registered for the current user without administrator rights (the default) or, from
; an elevated prompt with /AllUsers, for every user of the machine. /S installs silently; so does
; the uninstaller, which unregisters both libraries and removes every file and key it made.
;
; makensis -DVERSION=x.y.z -DDIST=<build/dist> -DFILES=<generated lists> -DMSI_UPGRADE_CODE=<{GUID}>
;          -DOUTFILE=<setup.exe>
; FILES is a folder with folders.nsh and folders-uninstall.nsh: the examples' and the guide's File and
; Delete/RMDir lines, written by scripts/package from the distribution folder.
; MSI_UPGRADE_CODE is the upgrade code of the Windows Installer package (installer/Apparata.wxs): the
; setup refuses to install while a package of that code is installed, and the package refuses to
; install while this setup's installation is there.

Unicode true
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Apparata"

Name "Apparata ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Apparata"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Apparata instrument controls setup"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Scope  ; "user" or "machine"

; The Windows Installer package, of any version and for either architecture, per machine or for
; this user: this setup would overwrite its files and registration, and its uninstaller then
; remove them from under the package.
Function RefuseOverPackage
  System::Call 'msi::MsiEnumRelatedProductsW(w "${MSI_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 == 0
    MessageBox MB_ICONSTOP "Apparata is installed on this computer from its Windows Installer package (product $1). Remove that installation first (Apps, or msiexec /x $1), then run this setup." /SD IDOK
    SetErrorLevel 1638 ; ERROR_PRODUCT_VERSION: another version of this product is installed
    Quit
  ${EndIf}
FunctionEnd

; Per machine only where asked for and allowed: a machine installation needs the rights to
; write the machine's classes and its programs folder.
Function .onInit
  Call RefuseOverPackage
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${If} ${Errors}
    StrCpy $Scope "user"
    SetShellVarContext current
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Apparata"
    ${EndIf}
  ${Else}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      MessageBox MB_ICONSTOP "Installing for all users needs an elevated prompt (Run as administrator)." /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    StrCpy $Scope "machine"
    SetShellVarContext all
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "$PROGRAMFILES64\Apparata"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Registers (or with /u unregisters) one library for the installation's scope; $0 receives
; regsvr32's exit code, 0 on success.
!macro Regsvr32 FLAGS LIBRARY
  ${If} $Scope == "user"
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${FLAGS} /n /i:user "${LIBRARY}"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${FLAGS} "${LIBRARY}"' $0
  ${EndIf}
!macroend

Section
  SetOutPath "$INSTDIR"
  File "${DIST}/README.txt"
  SetOutPath "$INSTDIR\x86"
  File "${DIST}/x86/Apparata.ocx"
  File "${DIST}/x86/apparata_scripthost.exe"
  File "${DIST}/x86/apparata_check.exe"
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    File "${DIST}/x64/Apparata.ocx"
    File "${DIST}/x64/apparata_scripthost.exe"
    File "${DIST}/x64/apparata_check.exe"
  ${EndIf}
  !include "${FILES}/folders.nsh"
  CreateDirectory "$SMPROGRAMS\Apparata"
  CreateShortCut "$SMPROGRAMS\Apparata\Apparata guide.lnk" "$INSTDIR\guide\README.html"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The entry first, so that an installation whose registration fails can still be removed.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Apparata instrument controls"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Apparata"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  DetailPrint "Registering the 32-bit library for the $Scope"
  !insertmacro Regsvr32 "" "$INSTDIR\x86\Apparata.ocx"
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "Registering $INSTDIR\x86\Apparata.ocx failed (regsvr32 exit code $0)." /SD IDOK
    Abort
  ${EndIf}
  ${If} ${RunningX64}
    DetailPrint "Registering the 64-bit library for the $Scope"
    ; With redirection off, $SYSDIR is the 64-bit system folder and its regsvr32 the 64-bit one.
    ${DisableX64FSRedirection}
    !insertmacro Regsvr32 "" "$INSTDIR\x64\Apparata.ocx"
    ${EnableX64FSRedirection}
    ${If} $0 != 0
      MessageBox MB_ICONSTOP "Registering $INSTDIR\x64\Apparata.ocx failed (regsvr32 exit code $0)." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
SectionEnd

; The installation's scope is where its uninstall entry names this folder.
Function un.onInit
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $Scope "machine"
    SetShellVarContext all
  ${Else}
    StrCpy $Scope "user"
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section Uninstall
  ; Unregistration tolerates entries already gone; a library that is missing is left alone.
  ${If} ${RunningX64}
  ${AndIf} ${FileExists} "$INSTDIR\x64\Apparata.ocx"
    ${DisableX64FSRedirection}
    !insertmacro Regsvr32 "/u" "$INSTDIR\x64\Apparata.ocx"
    ${EnableX64FSRedirection}
    DetailPrint "Unregistering the 64-bit library: regsvr32 exit code $0"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\x86\Apparata.ocx"
    !insertmacro Regsvr32 "/u" "$INSTDIR\x86\Apparata.ocx"
    DetailPrint "Unregistering the 32-bit library: regsvr32 exit code $0"
  ${EndIf}

  ; Only what was installed: a driver (HPIB_THK.DLL) put beside a library stays, with its folder.
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\x86\Apparata.ocx"
  Delete "$INSTDIR\x86\apparata_scripthost.exe"
  Delete "$INSTDIR\x86\apparata_check.exe"
  Delete "$INSTDIR\x64\Apparata.ocx"
  Delete "$INSTDIR\x64\apparata_scripthost.exe"
  Delete "$INSTDIR\x64\apparata_check.exe"
  !include "${FILES}/folders-uninstall.nsh"
  Delete "$SMPROGRAMS\Apparata\Apparata guide.lnk"
  RMDir "$SMPROGRAMS\Apparata"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\x86"
  RMDir "$INSTDIR\x64"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
