' Ten measurements from the E7-12 LCR meter, running free, both values of each printed as it
' arrives.
'
' Run it with the script host, which creates the control and names it Lcr:
'   apparata_scripthost e712.vbs Lcr=Apparata.E712X --timeout 30
' The library must be registered (regsvr32 Apparata.ocx). Without a bus driver it runs in
' debug mode and the meter answers with simulated readings.
Option Explicit

Const kReadings = 10
Dim count
count = 0

' The control raises OnData when a new measurement is in Text: two lines, one per value,
' each the quantity letter, "=" and the value.
Sub Lcr_OnData()
  Dim values
  count = count + 1
  values = Split(Lcr.Text, vbCrLf)
  Host.Echo count & vbTab & values(0) & vbTab & values(1)
  If count = kReadings Then
    Lcr.InternalTrigger = False
    Host.Quit 0
  End If
End Sub

On Error Resume Next
Lcr.Port = 3                ' the meter's HP-IB address (bus address 703)
Lcr.Text = "$01"            ' mode C+D: the one byte 0x01
Lcr.Text = "$20"            ' automatic ranging: the one byte 0x20
Lcr.InternalTrigger = True  ' trigger again after every measurement
If Err.Number <> 0 Then
  Host.Echo "The meter failed: " & Err.Description
  Host.Quit 1
End If
