#include "check/VisaSurvey.h"

#include <cstdio>

#include "hpib/TraceBytes.h"

namespace check {

using namespace hpib::visa;

namespace {

class Survey {
 public:
  Survey(const Functions& vi, const hpib::VisaTraceSink& trace) : vi_(vi), trace_(trace) {}

  ViStatus Done(const char* operation, const std::string& resource, const std::string& detail, ViStatus status) {
    if (trace_) trace_(hpib::VisaCall{operation, resource, detail, status, Text(status)});
    return status;
  }
  std::string Text(ViStatus status) {
    char text[kStatusDescLength] = {};
    if (vi_.viStatusDesc(rm_, status, text) < VI_SUCCESS) return "(no description)";
    text[kStatusDescLength - 1] = '\0';
    return text;
  }
  std::string Failure(ViStatus status) { return Text(status) + " (0x" + hpib::StatusHex(status) + ")"; }

  // The resources that `expression` finds, or the status that refused the search.
  std::vector<std::string> Find(const std::string& expression, ViStatus& status) {
    std::vector<std::string> found;
    char name[kFindLength] = {};
    ViFindList list = 0;
    ViUInt32 count = 0;
    status = vi_.viFindRsrc(rm_, expression.c_str(), &list, &count, name);
    const std::string first = hpib::BytesDetail("found", name) + " count=" + std::to_string(count);
    Done("viFindRsrc", expression, status < VI_SUCCESS ? "" : first, status);
    if (status < VI_SUCCESS) return found;
    found.push_back(name);
    for (ViUInt32 i = 1; i < count; ++i) {
      const ViStatus next = vi_.viFindNext(list, name);
      Done("viFindNext", expression, next < VI_SUCCESS ? "" : hpib::BytesDetail("found", name), next);
      if (next < VI_SUCCESS) break;
      found.push_back(name);
    }
    Done("viClose", expression, "", vi_.viClose(list));
    return found;
  }

  const Functions& vi_;
  const hpib::VisaTraceSink& trace_;
  ViSession rm_ = 0;
};

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

std::string VisaVersion(std::uint32_t version) {
  return std::to_string(version >> 20) + "." + std::to_string((version >> 8) & 0xFFF) + "." +
         std::to_string(version & 0xFF);
}

VisaSurvey SurveyVisa(const Functions& vi, unsigned board, const hpib::VisaTraceSink& trace) {
  VisaSurvey result;
  Survey s(vi, trace);
  ViStatus status = s.Done("viOpenDefaultRM", "", "", vi.viOpenDefaultRM(&s.rm_));
  if (status < VI_SUCCESS) {
    result.lines.push_back("  the resource manager cannot be opened: " + s.Failure(status));
    return result;
  }
  char maker[kFindLength] = {};
  status = s.Done("viGetAttribute", "", "VI_ATTR_RSRC_MANF_NAME",
                  vi.viGetAttribute(s.rm_, VI_ATTR_RSRC_MANF_NAME, maker));
  result.lines.push_back("  made by: " + (status < VI_SUCCESS ? "not said, " + s.Failure(status) : std::string(maker)));
  struct Version {
    ViAttr attribute;
    const char* name;
    const char* shown;
  };
  for (const Version& v : {Version{VI_ATTR_RSRC_IMPL_VERSION, "VI_ATTR_RSRC_IMPL_VERSION", "implementation version"},
                           Version{VI_ATTR_RSRC_SPEC_VERSION, "VI_ATTR_RSRC_SPEC_VERSION", "VISA specification"}}) {
    ViUInt32 version = 0;
    status = s.Done("viGetAttribute", "", v.name, vi.viGetAttribute(s.rm_, v.attribute, &version));
    result.lines.push_back(std::string("  ") + v.shown + ": " +
                           (status < VI_SUCCESS ? "not said, " + s.Failure(status) : VisaVersion(version)));
  }
  const std::vector<std::string> boards = s.Find("GPIB?*INTFC", status);
  result.lines.push_back("  GPIB boards: " + (boards.empty() ? "none found, " + s.Failure(status) : Joined(boards)));

  const std::string expression = "GPIB" + std::to_string(board) + "::?*INSTR";
  const std::vector<std::string> instruments = s.Find(expression, status);
  if (status == VI_ERROR_RSRC_NFOUND) {
    result.listed.emplace();
    result.lines.push_back("  instruments on GPIB" + std::to_string(board) + ": none found");
  } else if (status < VI_SUCCESS) {
    result.lines.push_back("  instruments on GPIB" + std::to_string(board) + ": the search cannot tell, " +
                           s.Failure(status) + "; every address is asked");
  } else {
    result.listed.emplace();
    for (const std::string& name : instruments) {
      unsigned found = 0, primary = 0;
      if (std::sscanf(name.c_str(), "GPIB%u::%u::", &found, &primary) == 2 && found == board && primary <= 30)
        result.listed->push_back(primary);
    }
    result.lines.push_back("  instruments on GPIB" + std::to_string(board) + ": " + Joined(instruments));
  }
  s.Done("viClose", "", "", vi.viClose(s.rm_));
  return result;
}

}  // namespace check
