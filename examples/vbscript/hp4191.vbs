' A frequency sweep with the HP 4191A analyzer: from 1 MHz upwards in steps of 1 MHz (the
' panel's Step), one reading per step, printed as it arrives, until 5 MHz.
'
' Run it with the script host, which creates the control and names it Analyzer:
'   apparata_scripthost hp4191.vbs Analyzer=Apparata.HP4191X --timeout 30
' The library must be registered (regsvr32 Apparata.ocx). Without a bus driver it runs in
' debug mode and the analyzer answers with simulated readings.
Option Explicit

' The number in a value, on any regional setting: the panel writes "." whatever Windows is set
' to, and CDbl reads the separator of the regional setting.
Function Number(value)
  Number = CDbl(Replace(Trim(value), ".", Mid(CStr(1 / 2), 2, 1)))
End Function

' The control raises OnData when a new measurement is in Text: display A, display B and the
' test frequency, one line each, each a label, "=" and the value.
Sub Analyzer_OnData()
  Dim lines
  lines = Split(Analyzer.Text, vbCrLf)
  Host.Echo lines(2) & vbTab & lines(0) & vbTab & lines(1)
  If Number(Mid(lines(2), InStr(lines(2), "=") + 1)) >= 5 Then
    Analyzer.InternalTrigger = False
    Host.Quit 0
  End If
End Sub

On Error Resume Next
Analyzer.Port = 17               ' the analyzer's HP-IB address (bus address 717)
Analyzer.Text = "A4EN"           ' mode R+X
Analyzer.Text = "FR1.0000EN"     ' start at 1 MHz
Analyzer.Text = "ScanUp"         ' a control word: sweep upwards, one step per reading
Analyzer.InternalTrigger = True  ' one reading per second (the panel's speed list)
If Err.Number <> 0 Then
  Host.Echo "The analyzer failed: " & Err.Description
  Host.Quit 1
End If
