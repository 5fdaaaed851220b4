// The type library "Device Manager Type Library" (Apparata.ocx) as .NET sees it: the same names
// and shapes that Visual Studio's "Add Reference > COM" (tlbimp) makes of it, written out so
// that the examples build without Windows (Debian's mcs). With Visual Studio, reference the
// type library instead and leave this file out.
//
//   mcs -target:library -out:Apparata.Interop.dll Apparata.Interop.cs
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Runtime.InteropServices.ComTypes;

namespace Apparata
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

    public delegate void IQXDeviceEvents_OnCreateEventHandler();
    public delegate void IQXDeviceEvents_OnDestroyEventHandler();
    public delegate void IQXDeviceEvents_OnDataEventHandler();

    [ComEventInterface(typeof(IQXDeviceEvents), typeof(IQXDeviceEvents_EventProvider)), ComVisible(false)]
    public interface IQXDeviceEvents_Event
    {
        event IQXDeviceEvents_OnCreateEventHandler OnCreate;
        event IQXDeviceEvents_OnDestroyEventHandler OnDestroy;
        event IQXDeviceEvents_OnDataEventHandler OnData;
    }

    // The three controls: `new Apparata.B740X()` makes a B7-40/5 control.
    [ComImport, Guid("3C053B01-2C71-11D5-B2A4-FE129D63AC66"), CoClass(typeof(B740XClass))]
    public interface B740X : IQXDevice, IQXDeviceEvents_Event { }

    [ComImport, Guid("3C053B01-2C71-11D5-B2A4-FE129D63AC66"), CoClass(typeof(E712XClass))]
    public interface E712X : IQXDevice, IQXDeviceEvents_Event { }

    [ComImport, Guid("3C053B01-2C71-11D5-B2A4-FE129D63AC66"), CoClass(typeof(HP4191XClass))]
    public interface HP4191X : IQXDevice, IQXDeviceEvents_Event { }

    [ComImport, Guid("3C053B03-2C71-11D5-B2A4-FE129D63AC66"), ClassInterface(ClassInterfaceType.None),
     ComSourceInterfaces("Apparata.IQXDeviceEvents\0\0")]
    public class B740XClass { }

    [ComImport, Guid("3C053B05-2C71-11D5-B2A4-FE129D63AC66"), ClassInterface(ClassInterfaceType.None),
     ComSourceInterfaces("Apparata.IQXDeviceEvents\0\0")]
    public class E712XClass { }

    [ComImport, Guid("3C053B04-2C71-11D5-B2A4-FE129D63AC66"), ClassInterface(ClassInterfaceType.None),
     ComSourceInterfaces("Apparata.IQXDeviceEvents\0\0")]
    public class HP4191XClass { }

    // What tlbimp generates behind `OnData +=`: one connection to the control's event interface
    // per handler, made when the handler is added and ended when it is removed.
    [ClassInterface(ClassInterfaceType.None)]
    public sealed class IQXDeviceEvents_SinkHelper : IQXDeviceEvents
    {
        public IQXDeviceEvents_OnCreateEventHandler m_OnCreateDelegate;
        public IQXDeviceEvents_OnDestroyEventHandler m_OnDestroyDelegate;
        public IQXDeviceEvents_OnDataEventHandler m_OnDataDelegate;
        public int m_dwCookie;

        public void OnCreate() { if (m_OnCreateDelegate != null) m_OnCreateDelegate(); }
        public void OnDestroy() { if (m_OnDestroyDelegate != null) m_OnDestroyDelegate(); }
        public void OnData() { if (m_OnDataDelegate != null) m_OnDataDelegate(); }
    }

    internal sealed class IQXDeviceEvents_EventProvider : IQXDeviceEvents_Event, IDisposable
    {
        private readonly IConnectionPointContainer container;
        private IConnectionPoint point;
        private readonly List<IQXDeviceEvents_SinkHelper> sinks = new List<IQXDeviceEvents_SinkHelper>();

        public IQXDeviceEvents_EventProvider(object control)
        {
            container = (IConnectionPointContainer)control;
        }

        private IQXDeviceEvents_SinkHelper Connect()
        {
            if (point == null)
            {
                Guid events = typeof(IQXDeviceEvents).GUID;
                container.FindConnectionPoint(ref events, out point);
            }
            var sink = new IQXDeviceEvents_SinkHelper();
            point.Advise(sink, out sink.m_dwCookie);
            sinks.Add(sink);
            return sink;
        }

        private void Disconnect(Predicate<IQXDeviceEvents_SinkHelper> holds)
        {
            lock (sinks)
            {
                int index = sinks.FindIndex(holds);
                if (index < 0) return;
                point.Unadvise(sinks[index].m_dwCookie);
                sinks.RemoveAt(index);
            }
        }

        public event IQXDeviceEvents_OnCreateEventHandler OnCreate
        {
            add { lock (sinks) Connect().m_OnCreateDelegate = value; }
            remove { Disconnect(s => s.m_OnCreateDelegate == value); }
        }

        public event IQXDeviceEvents_OnDestroyEventHandler OnDestroy
        {
            add { lock (sinks) Connect().m_OnDestroyDelegate = value; }
            remove { Disconnect(s => s.m_OnDestroyDelegate == value); }
        }

        public event IQXDeviceEvents_OnDataEventHandler OnData
        {
            add { lock (sinks) Connect().m_OnDataDelegate = value; }
            remove { Disconnect(s => s.m_OnDataDelegate == value); }
        }

        public void Dispose()
        {
            lock (sinks)
            {
                foreach (var sink in sinks) point.Unadvise(sink.m_dwCookie);
                sinks.Clear();
            }
        }
    }
}
