; The Windows installer: Norvane into Program Files, a Start-menu shortcut, an uninstaller
; that Apps lists, and (optional, on by default) .edi contest logs opening in Norvane.
; Built by scripts/windows.sh:
;   makensis -DVERSION=1.0.0.0
;            -DFILES=<folder with norvane.exe, README.txt, LICENSE.txt, cty.dat, cty-LICENSE.txt>
;            -DICON=main/icons/norvane.ico -DOUTFILE=norvane-1.0.0.0-setup.exe norvane.nsi
; The installed program keeps its data in %APPDATA%\norvane, which nothing here touches:
; an uninstall leaves the operator's database where it is.
Unicode true
Target amd64-unicode ; norvane.exe is 64-bit: so are Program Files and the registry here
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvane"
!define PROGID "Norvane.EdiLog"

Name "Norvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Norvane"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Norvane ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Norvane"
VIAddVersionKey "CompanyName" "Norvane developers"
VIAddVersionKey "FileDescription" "Norvane ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GNU General Public License, version 3 or later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This will install Norvane ${VERSION}, the station database, \
    bearing and distance tool for VHF/UHF contests.$\r$\n$\r$\n\
    Your station database and own locator are kept in your own folder \
    (%APPDATA%\norvane), which an uninstall leaves alone.$\r$\n$\r$\n\
    Click Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Norvane" SecProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${FILES}\norvane.exe"
    File "${FILES}\README.txt"
    File "${FILES}\LICENSE.txt"
    File "${FILES}\cty.dat"
    File "${FILES}\cty-LICENSE.txt"
    ; Beside norvane.exe it also tells the program that it runs installed.
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Norvane.lnk" "$INSTDIR\norvane.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Norvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Norvane developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\norvane.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Open .edi contest logs with Norvane" SecAssociation
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "EDI contest log"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\norvane.exe,0"
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\norvane.exe" "%1"'
    WriteRegStr HKLM "Software\Classes\.edi" "" "${PROGID}"
    ; "Open with" offers Norvane even where another program has taken .edi.
    WriteRegStr HKLM "Software\Classes\.edi\OpenWithProgids" "${PROGID}" ""
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "norvane.exe, its README and licence, cty.dat (the countries a log's verification counts), and a Start-menu shortcut."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecAssociation} "A double click on an .edi log opens it in Norvane's log window, ready to check."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Norvane.lnk"
    Delete "$INSTDIR\norvane.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\cty.dat"
    Delete "$INSTDIR\cty-LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR" ; only when empty: files someone put there stay

    ; .edi goes back to no program only where it still names Norvane.
    ReadRegStr $0 HKLM "Software\Classes\.edi" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKLM "Software\Classes\.edi" ""
    ${EndIf}
    DeleteRegValue HKLM "Software\Classes\.edi\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "Software\Classes\.edi\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "Software\Classes\.edi"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
