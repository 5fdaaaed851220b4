// One reading, synchronously, with a time limit: ReadOnce.Text(control, milliseconds) triggers
// the control and pumps the thread's messages until OnData or the limit, and answers Text or
// throws TimeoutException. For hosts that want a value where they need it, not an event.
//
// Call it on the thread that made the control (a form's thread), never from OnData itself.
// A limit of the reading interval plus the bus timeout (3 s) covers a reading that the
// instrument answers late; an error of the reading itself shows its box (or, with the setting
// Errors = Log, goes to the log) and ends here as the timeout.
//   csc /platform:x64 /r:Apparata.Interop.dll ReadOnce.cs Reading.cs
using System;
using System.Diagnostics;
using System.Threading;
using System.Windows.Forms;

namespace Apparata.Examples
{
    public static class ReadOnce
    {
        public static string Text(B740X control, int milliseconds)
        {
            return Text(control, control, milliseconds);
        }

        public static string Text(IQXDevice control, IQXDeviceEvents_Event events, int milliseconds)
        {
            bool arrived = false;
            IQXDeviceEvents_OnDataEventHandler handler = () => arrived = true;
            events.OnData += handler;
            try
            {
                control.Trigger();
                var clock = Stopwatch.StartNew();
                while (!arrived)
                {
                    if (clock.ElapsedMilliseconds > milliseconds)
                        throw new TimeoutException("no reading within " + milliseconds + " ms");
                    Application.DoEvents();
                    Thread.Sleep(10);
                }
                return control.Text;
            }
            finally
            {
                events.OnData -= handler;
            }
        }

        [STAThread]
        public static int Main()
        {
            var meter = new Apparata.B740X();
            meter.Port = 7;
            meter.Text = "F5E";  // DC volts
            try
            {
                string text = Text(meter, 300 + 3000);
                string value = text.Substring(text.IndexOf('=') + 1);
                Console.WriteLine(Reading.IsOverload(value) ? "overload" : Reading.Number(value) + " V");
                return 0;
            }
            catch (TimeoutException e)
            {
                Console.Error.WriteLine(e.Message);
                return 1;
            }
        }
    }
}
