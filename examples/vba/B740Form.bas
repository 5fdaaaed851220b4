' The code of a UserForm that shows the B7-40/5 multimeter's readings (Excel, Word, any VBA).
'
' On a UserForm named B740Form place, from the toolbox:
'   - a "B7-40/5 Device Control" named Meter (first tick it under Tools > Additional Controls;
'     the setup registers it),
'   - a ListBox named Readings,
'   - a ToggleButton named RunButton and a CommandButton named TriggerButton,
' then paste this code into the form's code window and run the form.
Option Explicit

Private Sub UserForm_Initialize()
    On Error GoTo Failed
    Meter.Port = 7                ' the meter's HP-IB address (bus address 707)
    Meter.Text = "F2E"            ' function R: resistance
    RunButton.Caption = "Run"
    TriggerButton.Caption = "Trigger"
    Exit Sub
Failed:
    MsgBox Err.Description, vbExclamation, Err.Source
End Sub

' One measurement: OnData follows when the reading is in.
Private Sub TriggerButton_Click()
    On Error GoTo Failed
    Meter.Trigger
    Exit Sub
Failed:
    MsgBox Err.Description, vbExclamation, Err.Source
End Sub

' While the button is down the control triggers itself after every reading. Setting it True
' triggers the bus at once, so it fails as Trigger does when the instrument does not answer.
Private Sub RunButton_Click()
    On Error GoTo Failed
    Meter.InternalTrigger = RunButton.Value
    Exit Sub
Failed:
    MsgBox Err.Description, vbExclamation, Err.Source
    RunButton.Value = False
End Sub

' Text is "R     kOm=+11357E-4": the unit label, "=", the value in that unit. Val reads "."
' as the decimal separator on every regional setting (CDbl would not).
Private Sub Meter_OnData()
    Dim parts() As String
    parts = Split(Meter.Text, "=")
    If InStr(parts(1), "OVERLOAD") > 0 Then
        Readings.AddItem Format(Now, "hh:nn:ss") & "  overload"
    Else
        Readings.AddItem Format(Now, "hh:nn:ss") & "  " & Val(parts(1)) & " " & Trim(Mid(parts(0), 2))
    End If
    Readings.ListIndex = Readings.ListCount - 1
End Sub

Private Sub UserForm_QueryClose(Cancel As Integer, CloseMode As Integer)
    Meter.InternalTrigger = False
End Sub
