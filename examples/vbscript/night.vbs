' A night run: the three controls running free for kSeconds, with no one watching. Set up for
' the current user:
'   reg add HKCU\Software\Apparata /v Bus /d "SIM:C:\Lab\night.ini" /f
'   reg add HKCU\Software\Apparata /v Errors /d Log /f
'   reg add HKCU\Software\Apparata /v Log /d "C:\Lab\night.csv" /f
' then run it with the script host:
'   apparata_scripthost night.vbs Meter=Apparata.B740X Lcr=Apparata.E712X Analyzer=Apparata.HP4191X
' Every reading and every error goes to C:\Lab\night.csv; no error box waits for a person, and a
' control whose instrument does not answer asks it again, less often, until it does.
Option Explicit

Const kSeconds = 28800         ' eight hours

Meter.Port = 7
Lcr.Port = 3
Analyzer.Port = 17
' An instrument that is off fails each call that reaches it at once; its control keeps asking,
' less often, and the others run on.
On Error Resume Next
Meter.Text = "F5E"            ' DC volts
Meter.InternalTrigger = True
Lcr.InternalTrigger = True
Analyzer.InternalTrigger = True
On Error GoTo 0
Host.Sleep kSeconds * 1000
Host.Quit 0
