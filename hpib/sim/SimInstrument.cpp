#include "hpib/sim/SimInstrument.h"

#include "hpib/sim/Analyzer.h"
#include "hpib/sim/Circuit.h"
#include "hpib/sim/LcrMeter.h"
#include "hpib/sim/Multimeter.h"
#include "hpib/sim/Noise.h"

namespace hpib::sim {
namespace {

class Scatter {
 public:
  explicit Scatter(const InstrumentSetup& setup) : sigma_(setup.noise), noise_(setup.seed) {}
  double Relative() { return sigma_ * noise_.Gaussian(); }
  Immittance Of(const Immittance& m) { return Scattered(m, Relative(), Relative()); }

 private:
  double sigma_;
  Noise noise_;
};

class SimMultimeter final : public SimInstrument {
 public:
  explicit SimMultimeter(const InstrumentSetup& setup) : source_(setup.meter), scatter_(setup) { Measure(); }
  void Receive(std::string_view bytes) override { state_ = MeterCommand(state_, bytes); }
  void Measure() override {
    reply_ = MeterReply(state_, MeterInput(source_, state_.quantity) * (1.0 + scatter_.Relative()));
  }
  std::string Reply() const override { return reply_; }

 private:
  MeterSource source_;
  Scatter scatter_;
  MeterState state_;
  std::string reply_;
};

class SimLcrMeter final : public SimInstrument {
 public:
  explicit SimLcrMeter(const InstrumentSetup& setup) : circuit_(setup.circuit), scatter_(setup) { Measure(); }
  void Receive(std::string_view bytes) override {
    for (char byte : bytes) state_ = LcrCommand(state_, static_cast<unsigned char>(byte));
  }
  void Measure() override { reading_ = LcrMeasure(state_, scatter_.Of(ImmittanceOf(circuit_, kLcrTestHertz))); }
  std::string Reply() const override { return LcrReply(state_, reading_); }

 private:
  Circuit circuit_;
  Scatter scatter_;
  LcrState state_;
  LcrReading reading_;
};

class SimAnalyzer final : public SimInstrument {
 public:
  explicit SimAnalyzer(const InstrumentSetup& setup) : circuit_(setup.circuit), scatter_(setup) { Measure(); }
  void Receive(std::string_view bytes) override { state_ = AnalyzerCommand(state_, bytes); }
  void Measure() override {
    reply_ = AnalyzerReply(state_, scatter_.Of(ImmittanceOf(circuit_, state_.megahertz * 1e6)));
  }
  std::string Reply() const override { return reply_; }

 private:
  Circuit circuit_;
  Scatter scatter_;
  AnalyzerState state_;
  std::string reply_;
};

}  // namespace

std::unique_ptr<SimInstrument> MakeInstrument(const InstrumentSetup& setup) {
  switch (setup.kind) {
    case Kind::LcrMeter: return std::make_unique<SimLcrMeter>(setup);
    case Kind::Analyzer: return std::make_unique<SimAnalyzer>(setup);
    case Kind::Multimeter: break;
  }
  return std::make_unique<SimMultimeter>(setup);
}

}  // namespace hpib::sim
