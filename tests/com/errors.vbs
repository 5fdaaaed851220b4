' Failures of the B7-40/5 control reach the script as automation errors: number, the exact
' message and the ProgID as source; the control goes on working after them.
Option Explicit

Dim failures
failures = 0

Sub Expect(what, actual, expected)
  If actual <> expected Then
    Host.Echo "FAIL " & what & ": got " & actual & ", expected " & expected
    failures = failures + 1
  End If
End Sub

Meter.Port = 7

On Error Resume Next
Meter.Text = "$G1"
Dim number, description, source
number = Err.Number
description = Err.Description
source = Err.Source
On Error GoTo 0
Expect "Err.Number", Hex(number), Hex(&H8000FFFF)
Expect "Err.Description", description, "'$G1' is not a valid integer value"
Expect "Err.Source", source, "Apparata.B740X"

' A valid one-byte command right after it goes through.
On Error Resume Next
Meter.Text = "$41"
number = Err.Number
On Error GoTo 0
Expect "Err.Number after Text = ""$41""", Hex(number), "0"
Expect "Port after the errors", Meter.Port, 7

If failures = 0 Then
  Host.Quit 0
Else
  Host.Echo failures & " check(s) failed"
  Host.Quit 1
End If
