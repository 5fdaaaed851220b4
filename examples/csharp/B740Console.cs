// Ten readings from the B7-40/5 multimeter control, printed as they arrive.
//
// The control is 32-bit, and so must the program be. With the .NET Framework's compiler:
//   C:\Windows\Microsoft.NET\Framework\v4.0.30319\csc.exe /platform:x86 B740Console.cs
// The library must be registered (regsvr32 Apparata.ocx). Without a bus driver it runs in debug
// mode and the meter answers with simulated readings.
//
// The two interfaces are declared here, so that no interop assembly is needed; a reference to
// the type library "Device Manager Type Library" gives the same declarations.
using System;
using System.Runtime.InteropServices;
using System.Runtime.InteropServices.ComTypes;
using System.Windows.Forms;

namespace Apparata.Examples
{
    [ComImport, Guid("3C053B01-2C71-11D5-B2A4-FE129D63AC66"), InterfaceType(ComInterfaceType.InterfaceIsDual)]
    public interface IQXDevice
    {
        [DispId(1)] bool InternalTrigger { get; set; }
        [DispId(2)] string Text { get; set; }
        [DispId(3)] bool Active { get; set; }
        [DispId(4)] int Port { get; set; }
        [DispId(5)] void Trigger();
        [DispId(6)] void Clear();
        [DispId(7)] void LoadConfig();
        [DispId(8)] void SaveConfig();
    }

    [ComImport, Guid("3C053B02-2C71-11D5-B2A4-FE129D63AC66"), InterfaceType(ComInterfaceType.InterfaceIsIDispatch)]
    public interface IQXDeviceEvents
    {
        [DispId(1)] void OnCreate();
        [DispId(2)] void OnDestroy();
        [DispId(3)] void OnData();
    }

    [ComVisible(true), ClassInterface(ClassInterfaceType.None)]
    public sealed class MeterEvents : IQXDeviceEvents
    {
        private readonly IQXDevice meter;
        private readonly int wanted;
        private int count;

        public MeterEvents(IQXDevice meter, int wanted)
        {
            this.meter = meter;
            this.wanted = wanted;
        }

        public void OnCreate() { }

        public void OnDestroy() { }

        public void OnData()
        {
            count++;
            Console.WriteLine("{0:HH:mm:ss.fff}  {1}", DateTime.Now, meter.Text);
            if (count == wanted)
            {
                meter.InternalTrigger = false;
                Application.ExitThread();
            }
        }
    }

    public static class Program
    {
        // The control lives in this single-threaded apartment; its timers and events need the
        // thread's message loop (Application.Run).
        [STAThread]
        public static int Main()
        {
            var meter = (IQXDevice)Activator.CreateInstance(Type.GetTypeFromProgID("Apparata.B740X", true));
            var events = new MeterEvents(meter, 10);
            var container = (IConnectionPointContainer)meter;
            Guid eventsIid = typeof(IQXDeviceEvents).GUID;
            IConnectionPoint point;
            container.FindConnectionPoint(ref eventsIid, out point);
            int cookie;
            point.Advise(events, out cookie);
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
                // The control's message, e.g. "'$G1' is not a valid integer value", and its ProgID.
                Console.Error.WriteLine("{0}: {1}", e.Source, e.Message);
                return 1;
            }
            finally
            {
                point.Unadvise(cookie);
                Marshal.ReleaseComObject(meter);
            }
        }
    }
}
