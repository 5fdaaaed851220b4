#pragma once
// THPIBDevice, the base of every instrument control: the bus address, the Active and Internal
// Trigger switches (held as check marks of its context menu), the bus commands Local Control,
// Clear and Trigger, the one-shot measurement timer, Text read from the panel's pairs and
// written to the bus, and the link to the host's event sink.
//
// Every operation may throw a core::Exception; the server turns it into a failed result for
// hosts, the toolkit's dispatch into an error box for the user.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/EventSink.h"
#include "framework/Reading.h"
#include "toolkit/Form.h"
#include "toolkit/Menu.h"
#include "toolkit/Timer.h"

namespace framework {

// What a Text write hands to the bus: the host's text as bus bytes, cut to its first 250.
std::string RawCommand(const std::wstring& text);

class THPIBDevice : public toolkit::Form {
 public:
  THPIBDevice();
  ~THPIBDevice() override;

  toolkit::PopupMenu& PopupMenu;
  toolkit::MenuItem& InternalTriggerItem;
  toolkit::MenuItem& ActiveItem;
  toolkit::MenuItem& N1;
  toolkit::MenuItem& LocalControlItem;
  toolkit::MenuItem& ClearItem;
  toolkit::MenuItem& TriggerItem;
  toolkit::Timer& Timer;
  // Under the Errors setting Log: when free-running tries again after an error.
  toolkit::Timer& RetryTimer;

  // The members of the control interface.
  bool Get_InternalTrigger() const { return InternalTriggerItem.Checked(); }
  virtual void Set_InternalTrigger(bool value);
  // The panel's pairs as lines; the base control has no panel and reads a raw reply off the bus.
  std::wstring Get_Text();
  virtual void Set_Text(const std::wstring& value);
  bool Get_Active() const { return ActiveItem.Checked(); }
  // The menu's switches and every control of the panel follow Active.
  virtual void Set_Active(bool value);
  std::int32_t Get_Port() const { return FPort; }
  virtual void Set_Port(std::int32_t value) { FPort = value; }
  void Trigger() { TriggerItem.Click(); }
  void Clear() { ClearItem.Click(); }
  virtual void LoadConfig() {}
  virtual void SaveConfig() {}

  // Hooks of the server.
  // Class identifiers of the control's property pages; the base has none.
  virtual std::vector<std::wstring> DescribePropertyPages() const { return {}; }
  virtual void SetEventSink(std::shared_ptr<EventSink> sink) { FEvents = std::move(sink); }
  // The name the reading log gives the control.
  void SetProgId(std::wstring progId) { FProgId = std::move(progId); }
  // Called once when the form and its components exist.
  virtual void InitializeForm();

  // Length of a raw reply: what the instrument sent, then blanks.
  static constexpr std::size_t kReplyLength = 250;
  // A command longer than this is cut.
  static constexpr std::size_t kCommandLength = 250;

 protected:
  // Opens the card on demand (open, reset, 3-second timeout, one operation of the layer) and
  // tells whether the control is off the bus, in which case the calling step does nothing. The
  // card opens for an inactive control too.
  bool IsOffline();
  // The bus verbs of an instrument, each nothing when the control is off the bus. A reply comes
  // as the instrument sent it, then blanks to kReplyLength; a command is cut to kCommandLength.
  std::wstring ReadReply();
  void SendCommand(const std::wstring& command);
  void SendByte(char byte);
  // The host's text to the bus: "$" and two hexadecimal digits is one byte, anything else a
  // command. Off the bus it is not even parsed.
  void SendHostText(const std::wstring& text);
  // Select code x 100 + Port, for replies and commands.
  std::int32_t DeviceAddress() const;
  // The device address, or the select code alone when Port is 0.
  std::int32_t CommandAddress() const;

  virtual void InternalTriggerItemClick();
  virtual void ActiveItemClick();
  virtual void LocalControlItemClick();
  virtual void ClearItemClick();
  virtual void TriggerItemClick();
  // The instrument's part of a measurement tick: read and parse the reply. The base control
  // has nothing to read.
  virtual Reading TimerTimer() { return {}; }
  // Sets the panel's captions to a reading of TimerTimer's.
  virtual void ShowReading(const Reading&) {}
  // The label and value pairs that the panel shows now, in Text's order; nothing for the base
  // control, which has no panel.
  virtual std::optional<Pairs> PanelPairs() const { return std::nullopt; }
  // What a reading leads to after OnData and before the next trigger (the HP 4191A's sweep
  // step). Its failure shows no box: it ends free-running, or under Errors = Log the step is
  // tried again later as any error of the cycle. An error box of a panel's own rule that it
  // runs goes to the log under Errors = Log; otherwise it shows, and the host may let the
  // control go meanwhile.
  virtual void AfterReading() {}
  virtual void ActiveFormDestroy();
  virtual void ActiveFormShow();

  // Enables or disables every control that `owner` owns.
  static void EnableControls(toolkit::Component& owner, bool value);
  // Raises the event when a sink is connected. False when the host let the control go during
  // the event: the calling step must stop there, touching nothing more than its own locals.
  bool FireEvent(int dispid);

  std::int32_t FPort = 0;
  bool FCreateFired = false;
  std::shared_ptr<EventSink> FEvents;

 private:
  using Step = void (THPIBDevice::*)();
  // The timer's tick, the same for every instrument: the timer stops, the instrument reads and
  // shows, the reading goes to the log, OnData fires, the step after the reading runs, and
  // free-running triggers the next reading.
  void MeasurementTick();
  // The cycle's pending steps, each on its timer: the reading after a trigger on Timer (the
  // reading interval), and under Errors = Log the retry of a failed step on RetryTimer (the
  // back-off). A trigger ends a pending retry and awaits the reading; Active off, InternalTrigger
  // off and a trigger each end a pending retry with one call.
  void AwaitReading();
  void AwaitRetry(Step retry);
  void EndRetry();
  void StopCycle();
  // The retry is due: free-running, if still on, tries the failed step again.
  void RetryTick();
  // Runs a step of the control's own cycle. Its error goes to the log when there is one; then
  // under Errors = Log free-running tries again later, else the error goes on to the box.
  void CycleStep(Step step);
  // What unattended work makes of an error; false when it goes on to the box. Under Errors =
  // Log a free-running control tries `retry` again later.
  bool ErrorLogged(const std::wstring& message, Step retry = &THPIBDevice::TriggerAgain);
  // An error to the log and the debug output, when there are.
  void Report(const std::wstring& message);
  void MeasureAndGoOn();
  void StepAndGoOn();
  void TriggerAgain();
  // Appends a row to the reading log, when there is one (only with unattended output set): an
  // error's message or a reading's pairs, made into the row by ErrorRow, ReadingRow or SimulatedRow.
  template <class Row, class Content>
  void LogRow(Row row, const Content& content);
  // `bytes` to the instrument as a command (END on the last byte) or as raw bytes.
  void Output(const std::string& bytes, bool end);

  std::wstring FProgId;
  unsigned FFailures = 0;  // errors of the cycle since its last reading
  Step FRetry = nullptr;   // where the pending retry starts; null: none is pending
};

}  // namespace framework
