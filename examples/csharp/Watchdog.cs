// Free-running readings that go on after an error. When a reading fails, the control shows its
// error box, raises no OnData and stops running free although InternalTrigger still reads True.
// A watchdog notices: no OnData within the reading interval plus the bus timeout (3 s), then it
// logs the gap and sets InternalTrigger again, which triggers at once; while no reading comes it
// waits twice as long before each next try, up to a minute, so that an instrument switched off
// does not pile up one error box on another. With the settings
// Errors = Log and Log = <file> no box waits for a person and the control tries again by itself;
// the watchdog then catches what is left (a sweep of the HP 4191A that stopped).
//   csc /platform:x64 /r:Apparata.Interop.dll Watchdog.cs
using System;
using System.Runtime.InteropServices;
using System.Windows.Forms;

namespace Apparata.Examples
{
    public static class Watchdog
    {
        const int IntervalMs = 300;  // the B7-40/5's and the E7-12's; the HP 4191A's is 1 s (or 3, 10)
        const int BusTimeoutMs = 3000;

        [STAThread]
        public static int Main()
        {
            var meter = new Apparata.B740X();
            DateTime last = DateTime.Now;
            int limitMs = IntervalMs + BusTimeoutMs;
            meter.OnData += () =>
            {
                last = DateTime.Now;
                limitMs = IntervalMs + BusTimeoutMs;
                Console.WriteLine("{0:HH:mm:ss.fff}  {1}", last, meter.Text);
            };
            var watchdog = new Timer { Interval = 1000 };
            watchdog.Tick += (sender, e) =>
            {
                TimeSpan gap = DateTime.Now - last;
                if (gap.TotalMilliseconds < limitMs) return;
                Console.Error.WriteLine("{0:HH:mm:ss}  no reading for {1:F1} s; triggering again", DateTime.Now, gap.TotalSeconds);
                last = DateTime.Now;
                limitMs = Math.Min(2 * limitMs, 60000);
                try
                {
                    meter.InternalTrigger = true;
                }
                catch (COMException failure)
                {
                    Console.Error.WriteLine("  {0}", failure.Message);  // the instrument is still away
                }
            };
            meter.Port = 7;
            watchdog.Start();
            try
            {
                meter.InternalTrigger = true;
            }
            catch (COMException failure)
            {
                Console.Error.WriteLine(failure.Message);  // the watchdog tries again
            }
            Application.Run();  // until the program is ended
            return 0;
        }
    }
}
