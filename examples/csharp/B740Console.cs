// Readings from the B7-40/5 multimeter control into a CSV file, each with its time, as they
// arrive: B740Console [count] [file], ten readings into readings.csv unless told.
//
// Build it for the bitness of the Windows it runs on; a program of "Any CPU" runs as a 64-bit
// process on 64-bit Windows and then needs the 64-bit library, which the setup registers there
// beside the 32-bit one:
//   csc /platform:x64 /r:Apparata.Interop.dll B740Console.cs Reading.cs     (or /platform:x86)
// With Visual Studio: Add Reference > COM > "Device Manager Type Library" instead of
// Apparata.Interop.dll. The controls must be registered (the setup does it; by hand
// `regsvr32 /n /i:user Apparata.ocx` for the current user, or plain `regsvr32` as an
// administrator for every user). With the debug terminal open, the readings are simulated.
using System;
using System.Globalization;
using System.IO;
using System.Runtime.InteropServices;
using System.Windows.Forms;

namespace Apparata.Examples
{
    public static class B740Console
    {
        // The control lives in this single-threaded apartment; its timers and events need the
        // thread's message loop (Application.Run).
        [STAThread]
        public static int Main(string[] args)
        {
            int wanted = args.Length > 0 ? int.Parse(args[0], CultureInfo.InvariantCulture) : 10;
            string path = args.Length > 1 ? args[1] : "readings.csv";
            var meter = new Apparata.B740X();
            using (var file = new StreamWriter(path))
            {
                file.WriteLine("time,reading,unit");
                int count = 0;
                meter.OnData += () =>
                {
                    // "R     kOm=+11357E-4": the unit label, "=", the value in that unit.
                    string[] parts = meter.Text.Split('=');
                    string unit = parts[0].Replace(" ", "");
                    string value = parts[1].Trim();
                    file.WriteLine("{0:yyyy-MM-ddTHH:mm:ss.fff},{1},{2}", DateTime.Now,
                                   Reading.IsOverload(value) ? "" : Reading.Number(value).ToString(CultureInfo.InvariantCulture),
                                   Reading.IsOverload(value) ? "OVERLOAD" : unit);
                    if (++count == wanted)
                    {
                        meter.InternalTrigger = false;
                        Application.ExitThread();
                    }
                };
                try
                {
                    meter.Port = 7;                // the meter's HP-IB address (bus address 707)
                    meter.Text = "F2E";            // function R: resistance
                    meter.InternalTrigger = true;  // trigger again after every reading
                    Application.Run();
                    return 0;
                }
                catch (COMException e)
                {
                    // The control's message, e.g. "Critical HPIB driver error:\nHPIB timeout!", and
                    // its ProgID, Apparata.B740X; e.ErrorCode is E_UNEXPECTED (0x8000FFFF).
                    Console.Error.WriteLine("{0}: {1}", e.Source, e.Message);
                    return 1;
                }
                finally
                {
                    Marshal.ReleaseComObject(meter);
                }
            }
        }
    }
}
