' Properties and methods of the B7-40/5 control as a script reaches them: by name, through
' IDispatch, with the script's own types (Long, Boolean, String).
Option Explicit

Dim failures
failures = 0

Sub Expect(what, actual, expected, expectedType)
  If TypeName(actual) <> expectedType Or actual <> expected Then
    Host.Echo "FAIL " & what & ": got " & TypeName(actual) & " " & actual & _
              ", expected " & expectedType & " " & expected
    failures = failures + 1
  End If
End Sub

Expect "Port at start", Meter.Port, 0, "Long"
Expect "Active at start", Meter.Active, True, "Boolean"
Expect "InternalTrigger at start", Meter.InternalTrigger, False, "Boolean"

Meter.Port = 7
Expect "Port after Port = 7", Meter.Port, 7, "Long"
Meter.Port = 30
Expect "Port after Port = 30", Meter.Port, 30, "Long"
Meter.Port = 7

Meter.Active = False
Expect "Active after Active = False", Meter.Active, False, "Boolean"
' Off the bus the trigger switch stays off.
Meter.InternalTrigger = True
Expect "InternalTrigger while inactive", Meter.InternalTrigger, False, "Boolean"
Meter.Active = True
Expect "Active after Active = True", Meter.Active, True, "Boolean"

Meter.InternalTrigger = True
Expect "InternalTrigger after InternalTrigger = True", Meter.InternalTrigger, True, "Boolean"
Meter.InternalTrigger = False
Expect "InternalTrigger after InternalTrigger = False", Meter.InternalTrigger, False, "Boolean"

' Switching the control off also stops it running free.
Meter.InternalTrigger = True
Meter.Active = False
Expect "InternalTrigger after Active = False", Meter.InternalTrigger, False, "Boolean"
Meter.Active = True

' The methods without a visible result must at least succeed.
Meter.Clear
Meter.LoadConfig
Meter.SaveConfig
Meter.Text = "F2E"
Expect "Port after the methods", Meter.Port, 7, "Long"

If failures = 0 Then
  Host.Quit 0
Else
  Host.Echo failures & " check(s) failed"
  Host.Quit 1
End If
