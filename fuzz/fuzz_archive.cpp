// libFuzzer target for the object archive: arbitrary bytes loaded as an archive.
//
// The input is the archive itself. A BYTE read from it chooses the next thing to read
// (string, count, plain values, class reference, owned or shared object reference of a few
// fuzz classes, each framework collection), until the bytes run out or the archive throws.
// Nothing may crash, hang or allocate without bound; archive, memory and "not supported"
// exceptions are the expected outcomes.
//
// When a load succeeds, the objects read are stored, loaded and stored again: the two stored
// byte streams must be identical (the archive writes one canonical form).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "archive/Collections.h"
#include "archive/Object.h"

namespace {

class FuzzNode : public CObject {
  DECLARE_SERIAL(FuzzNode)

  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_id << m_name;
      ar.WriteObject(m_child.get());
      m_list.Serialize(ar);
      ar.WriteObject(m_shared);
    } else {
      UINT schema = ar.GetObjectSchema();
      ar >> m_id >> m_name;
      if (schema >= 2) {
        m_child = ar.ReadObject<FuzzNode>();
        m_list.Serialize(ar);
        m_shared = ar.ReadObjectRef(nullptr);
      }
    }
  }

  WORD m_id = 0;
  std::u16string m_name;
  std::unique_ptr<FuzzNode> m_child;
  CTypedObArray<FuzzNode> m_list;
  CObject* m_shared = nullptr;  // owned elsewhere
};

class FuzzLeaf : public FuzzNode {
  DECLARE_SERIAL(FuzzLeaf)

  void Serialize(CArchive& ar) override {
    FuzzNode::Serialize(ar);
    m_blob.Serialize(ar);
    m_strings.Serialize(ar);
    if (ar.IsStoring())
      ar << m_value << m_flag;
    else
      ar >> m_value >> m_flag;
  }

  CByteArray m_blob;
  CStringArray m_strings;
  double m_value = 0;
  bool m_flag = false;
};

// Not versionable: any other stored schema is "bad schema".
class FuzzFixed : public CObject {
  DECLARE_SERIAL(FuzzFixed)

  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_value;
      m_words.Serialize(ar);
    } else {
      ar >> m_value;
      m_words.Serialize(ar);
    }
  }

  DWORD m_value = 0;
  CWordArray m_words;
};

IMPLEMENT_SERIAL(FuzzNode, CObject, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(FuzzLeaf, FuzzNode, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(FuzzFixed, CObject, 1)

// Reads a mix chosen by the input; keeps every object it owns in `owned`.
void ReadMix(CArchive& ar, std::vector<std::unique_ptr<CObject>>& owned) {
  while (ar.GetRemaining() > 0) {
    BYTE op;
    ar >> op;
    switch (op % 14) {
      case 0: ar.ReadString(); break;
      case 1: ar.ReadCount(); break;
      case 2: owned.push_back(ar.ReadObject(nullptr)); break;
      case 3: ar.ReadObjectRef(nullptr); break;
      case 4: {
        ar.SerializeClass(RUNTIME_CLASS(CObArray));
        auto array = std::make_unique<CObArray>();
        array->Serialize(ar);
        owned.push_back(std::move(array));
        break;
      }
      case 5: CStringArray().Serialize(ar); break;
      case 6: CWordArray().Serialize(ar); break;
      case 7: CByteArray().Serialize(ar); break;
      case 8: {
        CMapWordToString map;
        map.Serialize(ar);
        if (map.GetEntries().size() != map.GetCount()) std::abort();
        break;
      }
      case 9: {
        BYTE b; WORD w; DWORD d; LONGLONG q; float f; double x; bool t;
        ar >> b >> w >> d >> q >> f >> x >> t;
        break;
      }
      case 10: owned.push_back(ar.ReadObject<FuzzNode>()); break;
      case 11: ar.ReadClass(nullptr); break;
      case 12: ar.GetObjectSchema(); break;
      case 13: {
        auto blob = std::make_unique<CByteArray>();
        ar.SerializeClass(RUNTIME_CLASS(CByteArray));
        blob->Serialize(ar);
        owned.push_back(std::move(blob));
        break;
      }
    }
  }
}

std::vector<BYTE> StoreAll(const std::vector<std::unique_ptr<CObject>>& objects) {
  CArchive ar;
  for (const auto& o : objects) ar.WriteObject(o.get());
  return ar.GetStoredBytes();
}

// Loads what StoreAll wrote; false when the archive refused it.
bool LoadAll(const std::vector<BYTE>& bytes, size_t count, std::vector<std::unique_ptr<CObject>>& objects) {
  try {
    CArchive ar(bytes.data(), bytes.size(), u"roundtrip");
    for (size_t i = 0; i < count; ++i) objects.push_back(ar.ReadObject(nullptr));
    ar.Close();
    return ar.GetRemaining() == 0;
  } catch (const CException&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::unique_ptr<CObject>> owned;
  bool complete = false;
  try {
    CArchive ar(data, size, u"fuzz.tvl");
    ReadMix(ar, owned);
    ar.Close();  // every object read has an owner
    complete = true;
  } catch (const CException& e) {
    // FUZZ_ARCHIVE_VERBOSE=1 tells why an input stopped (to check seeds).
    static const bool verbose = std::getenv("FUZZ_ARCHIVE_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "load stopped: %s\n", e.what());
  }
  // After a failed load, shared pointers inside `owned` may name objects the archive deleted:
  // such objects are only destroyed, never used.
  if (!complete) return 0;

  std::vector<BYTE> first = StoreAll(owned);
  std::vector<std::unique_ptr<CObject>> again;
  if (!LoadAll(first, owned.size(), again)) return 0;
  if (StoreAll(again) != first) std::abort();
  return 0;
}
