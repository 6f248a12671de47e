// Whole files through the resource walk, the table load and the language survey.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "peimage/LanguageSurvey.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "resmodel/ResTableBase.h"

namespace {

// Reads every byte it is handed, and what a group handler would fetch, so that a wrong
// bound shows up as an out-of-bounds read.
class CCountingTable : public CResTableBase {
 public:
  void AddRawResource(CResStream& stream) override {
    ++count;
    while (!stream.AtEnd()) sum += stream.ReadByte();
    stream.Back(stream.GetOffset());
    try {
      stream.ReadString();
    } catch (const CResStreamException&) {
    }
    if (stream.m_module) {
      if (const CPeResource* r = stream.m_module->FindResource(stream.m_type, stream.m_name))
        for (BYTE b : stream.m_module->GetData(*r)) sum += b;
    }
  }
  size_t count = 0;
  unsigned sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> bytes(data, data + size);
  CCountingTable table;
  table.LoadBytes(bytes, kNoLanguage);
  CLanguageSurvey survey;
  if (survey.SurveyBytes(bytes)) survey.GuessSourceLanguage();
  return 0;
}
