' One Trigger gives exactly one OnData, after the measurement time and not before, with the
' simulated reading in Text.
Option Explicit

Dim failures, readings, lastText, reading
failures = 0
readings = 0
Set reading = New RegExp
reading.Pattern = "^R     kOm=\+1135[0-8]E-4$"

Sub Fail(message)
  Host.Echo "FAIL " & message
  failures = failures + 1
End Sub

Sub Meter_OnData()
  readings = readings + 1
  lastText = Meter.Text
End Sub

Meter.Port = 7
Meter.Trigger
If readings <> 0 Then Fail "OnData during Trigger: " & readings & " reading(s)"
Host.Sleep 1000
If readings <> 1 Then Fail "OnData within 1 s of Trigger: " & readings & " reading(s), expected 1"
If Not reading.Test(lastText) Then Fail "Text """ & lastText & """ is not a simulated reading"
' Nothing follows without another trigger.
Host.Sleep 1000
If readings <> 1 Then Fail "OnData 2 s after Trigger: " & readings & " reading(s), expected 1"

If failures = 0 Then
  Host.Quit 0
Else
  Host.Quit 1
End If
