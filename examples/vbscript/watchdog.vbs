' Free-running readings that go on after an error. When a reading fails, the control shows its
' error box (or, with the setting Errors = Log, writes the error to its log), raises no OnData
' and, without that setting, stops running free although InternalTrigger still reads True. The
' watchdog below notices: no OnData within the reading interval plus the bus timeout, then it
' says so and sets InternalTrigger again, which triggers at once. While no reading comes it waits
' twice as long before each next try, up to a minute.
'
' Run it with the script host, which creates the control and names it Meter:
'   apparata_scripthost watchdog.vbs Meter=Apparata.B740X
' It watches for kSeconds, then prints how many readings and gaps there were.
Option Explicit

Const kSeconds = 15
Const kIntervalMs = 300       ' the B7-40/5's and the E7-12's; the HP 4191A's is 1000
Const kBusTimeoutMs = 3000
Dim readings, gaps, sinceData, limit

Sub Meter_OnData()
  readings = readings + 1
  sinceData = 0
  limit = kIntervalMs + kBusTimeoutMs
End Sub

Sub TriggerAgain()
  On Error Resume Next
  Meter.InternalTrigger = True
  If Err.Number <> 0 Then Host.Echo "  " & Replace(Err.Description, vbLf, " ")
End Sub

readings = 0
gaps = 0
sinceData = 0
limit = kIntervalMs + kBusTimeoutMs
Meter.Port = 7
TriggerAgain

Dim watched
For watched = 1 To kSeconds * 10
  Host.Sleep 100
  sinceData = sinceData + 100
  If sinceData >= limit Then
    gaps = gaps + 1
    Host.Echo "No reading for " & sinceData / 1000 & " s after " & readings & " readings; triggering again"
    sinceData = 0
    If limit < 60000 Then limit = limit * 2
    TriggerAgain
  End If
Next
Meter.InternalTrigger = False
Host.Echo readings & " readings, " & gaps & " gaps"
Host.Quit 0
