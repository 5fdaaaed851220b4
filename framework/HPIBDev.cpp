#include "framework/HPIBDev.h"

#include <optional>

#include "core/Convert.h"
#include "core/Latin1.h"
#include "framework/ReadingLog.h"
#include "framework/Unattended.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/Platform.h"

namespace framework {

using hpib::HPIBRaiseFailure;
using hpib::HPIBSelectCode;
// A control's failed operation closes the card before another thread's can come in.
constexpr hpib::OnFailure kCloseCard = hpib::OnFailure::CloseCard;

using core::MessageOf;

std::string RawCommand(const std::wstring& text) {
  return core::ToLatin1(text.substr(0, THPIBDevice::kCommandLength));
}

THPIBDevice::THPIBDevice()
    : PopupMenu(Make<toolkit::PopupMenu>(L"PopupMenu")),
      InternalTriggerItem(Make<toolkit::MenuItem>(L"InternalTriggerItem", L"Internal Trigger")),
      ActiveItem(Make<toolkit::MenuItem>(L"ActiveItem", L"Active")),
      N1(Make<toolkit::MenuItem>(L"N1", L"-")),
      LocalControlItem(Make<toolkit::MenuItem>(L"LocalControlItem", L"Local Control")),
      ClearItem(Make<toolkit::MenuItem>(L"ClearItem", L"Clear")),
      TriggerItem(Make<toolkit::MenuItem>(L"TriggerItem", L"Trigger")),
      Timer(Make<toolkit::Timer>(L"Timer")),
      RetryTimer(Make<toolkit::Timer>(L"RetryTimer")) {
  ContextMenu = &PopupMenu;
  for (toolkit::MenuItem* item : {&InternalTriggerItem, &ActiveItem, &N1, &LocalControlItem, &ClearItem, &TriggerItem})
    PopupMenu.Items().Add(*item);
  ActiveItem.SetChecked(true);
  Timer.SetEnabled(false);
  Timer.SetInterval(1000);

  InternalTriggerItem.OnClick = [this] { InternalTriggerItemClick(); };
  ActiveItem.OnClick = [this] { ActiveItemClick(); };
  LocalControlItem.OnClick = [this] { LocalControlItemClick(); };
  ClearItem.OnClick = [this] { ClearItemClick(); };
  TriggerItem.OnClick = [this] { TriggerItemClick(); };
  Timer.OnTimer = [this] { MeasurementTick(); };
  RetryTimer.SetEnabled(false);
  RetryTimer.OnTimer = [this] { RetryTick(); };
  OnDestroy = [this] { ActiveFormDestroy(); };
}

THPIBDevice::~THPIBDevice() = default;

void THPIBDevice::InitializeForm() {
  OnShow = [this] { ActiveFormShow(); };
}

bool THPIBDevice::IsOffline() {
  const bool offline = !ActiveItem.Checked();
  // The check comes first, the opening still happens.
  if (const hpib::Result result = hpib::HPIBOpenOnDemand(HPIBSelectCode, 3.0); hpib::Failed(result))
    hpib::HPIBRaise(result);
  return offline;
}

std::int32_t THPIBDevice::DeviceAddress() const {
  return hpib::InstrumentAddress(FPort);
}

std::int32_t THPIBDevice::CommandAddress() const { return FPort != 0 ? DeviceAddress() : HPIBSelectCode; }

std::wstring THPIBDevice::Get_Text() {
  const std::optional<Pairs> panel = PanelPairs();
  return panel ? Lines(*panel) : ReadReply();
}

void THPIBDevice::Set_Text(const std::wstring& value) { SendHostText(value); }

std::wstring THPIBDevice::ReadReply() {
  if (IsOffline()) return L"";
  std::string buffer(kReplyLength, ' ');
  std::uint16_t length = kReplyLength - 1;
  HPIBRaiseFailure(hpib::HPIBEnter(DeviceAddress(), buffer.data(), length, kCloseCard));
  // Fixed columns: the instruments parse by position, so nothing is trimmed.
  return core::FromLatin1(buffer);
}

void THPIBDevice::SendCommand(const std::wstring& command) {
  if (!IsOffline()) Output(RawCommand(command), true);
}

void THPIBDevice::SendByte(char byte) {
  if (!IsOffline()) Output(std::string(1, byte), false);
}

void THPIBDevice::SendHostText(const std::wstring& text) {
  if (IsOffline()) return;
  const std::string command = RawCommand(text);
  if (command.size() == 3 && command[0] == '$')
    Output(std::string(1, static_cast<char>(core::StrToInt(core::FromLatin1(command)) & 0xFF)), false);
  else
    Output(command, true);
}

void THPIBDevice::Output(const std::string& bytes, bool end) {
  const auto count = static_cast<std::uint16_t>(bytes.size());
  HPIBRaiseFailure(end ? hpib::HPIBOutput(DeviceAddress(), bytes.data(), count, kCloseCard)
                       : hpib::HPIBOutputBytes(DeviceAddress(), bytes.data(), count, kCloseCard));
}

void THPIBDevice::Set_Active(bool value) {
  ActiveItem.SetChecked(value);
  for (toolkit::MenuItem* item : {&LocalControlItem, &ClearItem, &TriggerItem, &InternalTriggerItem})
    item->SetEnabled(value);
  EnableControls(*this, value);
  if (!value) {
    InternalTriggerItem.SetChecked(false);
    StopCycle();
  }
}

void THPIBDevice::EnableControls(toolkit::Component& owner, bool value) {
  for (toolkit::Component* component : owner.Components())
    if (auto* control = dynamic_cast<toolkit::Control*>(component)) control->SetEnabled(value);
}

void THPIBDevice::Set_InternalTrigger(bool value) {
  if (!ActiveItem.Checked()) return;
  InternalTriggerItem.SetChecked(value);
  if (!value) return EndRetry();
  try {
    Trigger();
  } catch (const std::exception& e) {
    // The caller hears of it as always (a host's call fails, a click shows its box). Under
    // Errors = Log free-running, still checked, tries again later as after any error of its
    // cycle: an instrument that is off when the night's run starts is measured once it is on.
    if (CurrentUnattended().errors == ErrorHandling::Log) ErrorLogged(MessageOf(e));
    throw;
  }
}

void THPIBDevice::InternalTriggerItemClick() { Set_InternalTrigger(!InternalTriggerItem.Checked()); }

void THPIBDevice::ActiveItemClick() { Set_Active(!ActiveItem.Checked()); }

void THPIBDevice::LocalControlItemClick() {
  if (IsOffline()) return;
  HPIBRaiseFailure(hpib::HPIBLocal(CommandAddress(), kCloseCard));
}

void THPIBDevice::ClearItemClick() {
  if (IsOffline()) return;
  HPIBRaiseFailure(hpib::HPIBClear(CommandAddress(), kCloseCard));
}

void THPIBDevice::TriggerItemClick() {
  if (IsOffline()) return;
  HPIBRaiseFailure(hpib::HPIBTrigger(CommandAddress(), kCloseCard));
  AwaitReading();
}

void THPIBDevice::MeasurementTick() {
  Timer.SetEnabled(false);
  CycleStep(&THPIBDevice::MeasureAndGoOn);
}

void THPIBDevice::MeasureAndGoOn() {
  const Reading reading = TimerTimer();
  ShowReading(reading);
  FFailures = 0;
  // The row is what Text now reads, without another bus read when there is no panel.
  if (CurrentUnattended().output)
    LogRow(CurrentUnattended().simulated ? SimulatedRow : ReadingRow, PanelPairs().value_or(reading.pairs));
  if (FireEvent(kOnData)) StepAndGoOn();
}

void THPIBDevice::StepAndGoOn() {
  try {
    std::optional<toolkit::ErrorBoxDetour> detour;
    if (CurrentUnattended().errors == ErrorHandling::Log) detour.emplace([this](const std::wstring& message) { Report(message); });
    AfterReading();
  } catch (const std::exception& e) {
    if (!ErrorLogged(MessageOf(e), &THPIBDevice::StepAndGoOn)) InternalTriggerItem.SetChecked(false);
    return;
  }
  if (!Closed()) TriggerAgain();
}

void THPIBDevice::AwaitReading() {
  EndRetry();
  Timer.SetEnabled(true);
}

void THPIBDevice::AwaitRetry(Step retry) {
  ++FFailures;
  FRetry = retry;
  RetryTimer.SetInterval(RetryDelayMs(Timer.Interval(), FFailures));
  RetryTimer.SetEnabled(true);
}

void THPIBDevice::EndRetry() {
  FRetry = nullptr;
  RetryTimer.SetEnabled(false);
}

void THPIBDevice::StopCycle() {
  EndRetry();
  Timer.SetEnabled(false);
}

void THPIBDevice::RetryTick() {
  const Step retry = FRetry;
  EndRetry();
  // Unchecked meanwhile (a sweep's end unchecks it alone): nothing of free-running is tried again.
  if (retry && InternalTriggerItem.Checked()) CycleStep(retry);
}

void THPIBDevice::TriggerAgain() {
  if (InternalTriggerItem.Checked()) TriggerItem.Click();
}

void THPIBDevice::CycleStep(Step step) {
  try {
    (this->*step)();
  } catch (const std::exception& e) {
    if (!ErrorLogged(MessageOf(e))) throw;
  }
}

bool THPIBDevice::ErrorLogged(const std::wstring& message, Step retry) {
  Report(message);
  if (CurrentUnattended().errors != ErrorHandling::Log) return false;
  // The check mark stays when a trigger fails: free-running goes on, less often while the
  // errors last, so that a lost instrument neither holds the bus all night nor starves the rest.
  if (!Closed() && InternalTriggerItem.Checked()) AwaitRetry(retry);
  return true;
}

void THPIBDevice::Report(const std::wstring& message) {
  UnattendedOutput* output = CurrentUnattended().output;
  if (!output) return;
  LogRow(ErrorRow, message);
  if (CurrentUnattended().errors == ErrorHandling::Log)
    output->Debug(FProgId + L" at Port " + std::to_wstring(FPort) + L": " + message);
}

template <class Row, class Content>
void THPIBDevice::LogRow(Row row, const Content& content) {
  UnattendedOutput& output = *CurrentUnattended().output;
  if (output.Logging()) output.Append(row(output.Now(), FProgId, FPort, content));
}

void THPIBDevice::ActiveFormShow() {
  if (FEvents && !FCreateFired && FireEvent(kOnCreate)) FCreateFired = true;
}

void THPIBDevice::ActiveFormDestroy() { FireEvent(kOnDestroy); }

bool THPIBDevice::FireEvent(int dispid) {
  // A handler may disconnect its own sink; keep the sink alive for the call.
  if (std::shared_ptr<EventSink> sink = FEvents) sink->Fire(dispid);
  return !Closed();
}

}  // namespace framework
