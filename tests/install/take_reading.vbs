' An installed control, created by the script host from its ProgID as the named item Device,
' takes one reading: Trigger, then OnData with the reading in Text. Quits 0 when it did.
Option Explicit

Dim readings, text, waited
readings = 0

Sub Device_OnData()
  readings = readings + 1
  text = Device.Text
End Sub

Device.Port = 7
Device.Trigger
waited = 0
Do While readings = 0 And waited < 50
  Host.Sleep 100
  waited = waited + 1
Loop
If readings = 0 Then
  Host.Echo "FAIL no OnData after Trigger"
  Host.Quit 1
End If
If Len(text) = 0 Or InStr(text, "=") = 0 Then
  Host.Echo "FAIL Text """ & text & """ is not a reading"
  Host.Quit 1
End If
Host.Echo text
Host.Quit 0
