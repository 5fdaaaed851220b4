' Changing a range: the B7-40/5 measures resistance on fixed range 5 (up to 0.1 kOhm), which a
' larger resistance overloads, then on automatic ranging, one reading each; the E7-12 is set to
' automatic ranging too. On the simulated bench (Bus = SIM) the meter's 1.1357 kOhm shows the
' overload and then its value.
'
' Run it with the script host, which creates the controls and names them:
'   apparata_scripthost range.vbs Meter=Apparata.B740X Lcr=Apparata.E712X --timeout 30
Option Explicit

Dim arrived

Sub Meter_OnData()
  arrived = True
End Sub

Function ReadOnce()
  Dim waited
  arrived = False
  Meter.Trigger
  waited = 0
  Do While Not arrived
    If waited >= 3300 Then Err.Raise vbObjectError + 1, "ReadOnce", "no reading within 3.3 s"
    Host.Sleep 10
    waited = waited + 10
  Loop
  ReadOnce = Meter.Text
End Function

Sub Show(range)
  Dim text
  text = ReadOnce()
  If InStr(text, "OVERLOAD") > 0 Then
    Host.Echo range & ": overload, " & text
  Else
    Host.Echo range & ": " & text
  End If
End Sub

Meter.Port = 7
Meter.Text = "F2E"  ' resistance
Meter.Text = "B5E"  ' fixed range 5: B0E is the largest, B5E the smallest
Show "range 5"
Meter.Text = "B7E"  ' automatic ranging
Show "automatic"

Lcr.Port = 3
Lcr.Text = "$20"    ' automatic ranging; $2A (largest) to $2E (smallest) a fixed range
Host.Quit 0
