' Readings of the B7-40/5 multimeter into a CSV file, each with its time: kReadings readings of
' DC volts, running free, into readings.csv in the current folder. The twin of the Excel sheet
' examples/vba/ReadingsSheet.bas, which puts the same rows into cells.
'
' Run it with the script host, which creates the control and names it Meter:
'   apparata_scripthost readings_csv.vbs Meter=Apparata.B740X --timeout 60
' With the debug terminal open, the readings are simulated.
Option Explicit

Const kReadings = 10
Const kFile = "readings.csv"
Dim file, count
count = 0

' The number in a value, on any regional setting: the instruments write "." whatever Windows is
' set to, and CDbl reads the separator of the regional setting.
Function Number(value)
  Number = CDbl(Replace(Trim(value), ".", Mid(CStr(1 / 2), 2, 1)))
End Function

Function Two(n)
  Two = Right("0" & n, 2)
End Function

' 2026-12-08 14:03:07.250: the date and time with milliseconds, in the order that sorts.
Function Stamp()
  Dim t
  t = Timer
  Stamp = Year(Date) & "-" & Two(Month(Date)) & "-" & Two(Day(Date)) & " " & Two(Int(t / 3600)) & ":" & _
          Two(Int(t / 60) Mod 60) & ":" & Two(Int(t) Mod 60) & "." & Right("00" & Int((t - Int(t)) * 1000), 3)
End Function

' Text is "Udc V=+12340E-3": the unit label, "=", the value in that unit; " OVERLOAD" when the
' value is beyond the range.
Sub Meter_OnData()
  Dim parts, value
  parts = Split(Meter.Text, "=")
  If InStr(parts(1), "OVERLOAD") > 0 Then
    value = "OVERLOAD"
  Else
    value = Replace(CStr(Number(parts(1))), Mid(CStr(1 / 2), 2, 1), ".")
  End If
  file.WriteLine Stamp() & "," & value & "," & Replace(parts(0), " ", "")
  count = count + 1
  If count = kReadings Then
    Meter.InternalTrigger = False
    file.Close
    Host.Echo count & " readings in " & kFile
    Host.Quit 0
  End If
End Sub

Set file = CreateObject("Scripting.FileSystemObject").CreateTextFile(kFile, True)
file.WriteLine "time,value,unit"
On Error Resume Next
Meter.Port = 7                ' the meter's HP-IB address (bus address 707)
Meter.Text = "F5E"            ' function U=: DC volts
Meter.InternalTrigger = True  ' trigger now and again after every reading
If Err.Number <> 0 Then
  Host.Echo "The meter failed: " & Err.Description
  Host.Quit 1
End If
