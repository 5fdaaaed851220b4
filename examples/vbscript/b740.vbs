' Ten readings from the B7-40/5 multimeter, running free, each printed as it arrives.
'
' Run it with the script host, which creates the control and names it Meter:
'   apparata_scripthost b740.vbs Meter=Apparata.B740X --timeout 30
' The library must be registered (regsvr32 Apparata.ocx). Without a bus driver it runs in
' debug mode and the meter answers with simulated readings.
Option Explicit

Const kReadings = 10
Dim count
count = 0

' The control raises OnData when a new reading is in Text.
Sub Meter_OnData()
  count = count + 1
  Host.Echo count & vbTab & Meter.Text
  If count = kReadings Then
    Meter.InternalTrigger = False
    Host.Quit 0
  End If
End Sub

On Error Resume Next
Meter.Port = 7                ' the meter's HP-IB address (bus address 707)
Meter.Text = "F2E"            ' function R: resistance
Meter.InternalTrigger = True  ' trigger again after every reading
If Err.Number <> 0 Then
  Host.Echo "The meter failed: " & Err.Description
  Host.Quit 1
End If
