' The code of a worksheet that takes readings of the B7-40/5 multimeter into its cells: a time
' in column A, the value as a number in column B, its unit in column C, one row per reading,
' kReadings rows from row 2. Its twin examples/vbscript/readings_csv.vbs does the same into a
' CSV file with the script host.
'
' In Excel: Developer > Insert > More Controls > "B7-40/5 Device Control", draw it on the sheet
' and name it Meter (Name Box); paste this code into the sheet's code window (right-click the
' sheet's tab > View Code) and the two lines of Workbook_Open below into ThisWorkbook. Port and
' InternalTrigger are not kept with the workbook: they are set each time it opens.
'
'   Private Sub Workbook_Open()
'       Sheet1.StartReadings
'   End Sub
Option Explicit

Private Const kReadings = 10
Private row As Long

Public Sub StartReadings()
    On Error GoTo Failed
    row = 2
    Range("A1:C1").Value = Array("Time", "Value", "Unit")
    Meter.Port = 7                ' the meter's HP-IB address (bus address 707)
    Meter.Text = "F5E"            ' function U=: DC volts
    Meter.InternalTrigger = True  ' triggers at once, and again after every reading
    Exit Sub
Failed:
    ' The control's message, e.g. "Critical HPIB driver error:" and "HPIB timeout!".
    MsgBox Err.Description, vbExclamation, Err.Source
End Sub

' Text is "Udc V=+12340E-3": the unit label, "=", the value in that unit. Val reads "." as
' the decimal separator on every regional setting (CDbl would not).
Private Sub Meter_OnData()
    Dim parts() As String
    parts = Split(Meter.Text, "=")
    Cells(row, 1).Value = Now
    Cells(row, 1).NumberFormat = "yyyy-mm-dd hh:mm:ss"
    If InStr(parts(1), "OVERLOAD") > 0 Then
        Cells(row, 2).Value = "OVERLOAD"
    Else
        Cells(row, 2).Value = Val(parts(1))
    End If
    Cells(row, 3).Value = Replace(parts(0), " ", "")
    row = row + 1
    If row > kReadings + 1 Then Meter.InternalTrigger = False
End Sub
