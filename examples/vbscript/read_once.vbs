' One reading, synchronously, with a time limit: ReadOnce triggers the meter and waits, messages
' pumped, until OnData or the limit. For scripts that want a value where they need it, not an
' event. The limit: the reading interval (300 ms) plus the bus timeout (3 s).
'
' Run it with the script host, which creates the control and names it Meter:
'   apparata_scripthost read_once.vbs Meter=Apparata.B740X --timeout 30
Option Explicit

Const kLimitMs = 3300
Dim arrived

Sub Meter_OnData()
  arrived = True
End Sub

' Text after one triggered reading; an error of the script's own after kLimitMs without one.
Function ReadOnce(limitMs)
  Dim waited
  arrived = False
  Meter.Trigger
  waited = 0
  Do While Not arrived
    If waited >= limitMs Then Err.Raise vbObjectError + 1, "ReadOnce", "no reading within " & limitMs & " ms"
    Host.Sleep 10
    waited = waited + 10
  Loop
  ReadOnce = Meter.Text
End Function

' The number in a value, on any regional setting (the instruments write ".").
Function Number(value)
  Number = CDbl(Replace(Trim(value), ".", Mid(CStr(1 / 2), 2, 1)))
End Function

Dim text, value
On Error Resume Next
Meter.Port = 7
Meter.Text = "F5E"  ' DC volts
text = ReadOnce(kLimitMs)
If Err.Number <> 0 Then
  Host.Echo "No reading: " & Err.Description
  Host.Quit 1
End If
On Error GoTo 0
value = Mid(text, InStr(text, "=") + 1)
If InStr(value, "OVERLOAD") > 0 Then
  Host.Echo "overload"
Else
  Host.Echo Number(value) & " V"
End If
Host.Quit 0
