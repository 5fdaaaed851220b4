' InternalTrigger True makes the control run free: reading after reading, each one an OnData.
' False stops it: at once when set from the OnData handler, and after the measurement already on
' its way when set between readings.
Option Explicit

Const kStopAt = 5
Dim failures, readings, stopInHandler, reading
failures = 0
readings = 0
stopInHandler = True
Set reading = New RegExp
reading.Pattern = "^R     kOm=\+1135[0-8]E-4$"

Sub Fail(message)
  Host.Echo "FAIL " & message
  failures = failures + 1
End Sub

Sub Meter_OnData()
  readings = readings + 1
  Dim text
  text = Meter.Text
  If Not reading.Test(text) Then Fail "reading " & readings & ": Text """ & text & """ is not a simulated reading"
  If stopInHandler And readings = kStopAt Then Meter.InternalTrigger = False
End Sub

' Waits up to `ms` milliseconds for `count` readings.
Sub WaitForReadings(count, ms)
  Dim waited
  waited = 0
  Do While readings < count And waited < ms
    Host.Sleep 50
    waited = waited + 50
  Loop
End Sub

Meter.Port = 7
Meter.InternalTrigger = True
WaitForReadings kStopAt, 5000
If readings <> kStopAt Then Fail "readings within 5 s of InternalTrigger = True: " & readings & ", expected " & kStopAt
Host.Sleep 1000
If readings <> kStopAt Then Fail "readings 1 s after InternalTrigger = False in OnData: " & readings & ", expected " & kStopAt
If Meter.InternalTrigger <> False Then Fail "InternalTrigger is still True"

stopInHandler = False
Meter.InternalTrigger = True
WaitForReadings kStopAt + 2, 5000
Meter.InternalTrigger = False
Dim stoppedAt
stoppedAt = readings
Host.Sleep 1000
If readings <> stoppedAt + 1 Then Fail "readings 1 s after InternalTrigger = False between readings: " & _
                                      readings - stoppedAt & " more, expected 1"

If failures = 0 Then
  Host.Quit 0
Else
  Host.Quit 1
End If
