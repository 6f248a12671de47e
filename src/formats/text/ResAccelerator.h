#pragma once
// Accelerator tables: each entry maps a key to a command id; the key is translated per
// language, the command id never.
#include <iosfwd>

#include "archive/Collections.h"
#include "resmodel/Resource.h"

class CResourceData;

// Bits of an entry's fFlags.
enum : WORD {
  kAccelVirtKey = 0x01,
  kAccelNoInvert = 0x02,
  kAccelShift = 0x04,
  kAccelControl = 0x08,
  kAccelAlt = 0x10,
  kAccelLast = 0x80,  // the last entry of the table
};

class CResAccelerator : public CResourceElement {
  DECLARE_SERIAL(CResAccelerator)
 public:
  CResAccelerator() = default;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  // The status of the entry's key for a language: 2 when the entry is marked do not
  // translate, else the stored status of its node (0 without one).
  virtual int GetStatus(LANGID language) const;

  // Reads one 8-byte entry at the next 4-byte boundary.
  void Parse(CResStream& stream);
  // Appends the entry for the buffer's target language: the source key when useSource is
  // set, else the language's key when it has status 1 or more, else the source key. Only
  // the last entry carries the end bit, whatever the stored flags say.
  void WriteEntry(CResourceData& data, bool last, bool useSource) const;
  void MergeFrom(const CResAccelerator& other, bool copyProperties, bool importMode);

  // The key node of a language whatever its status, or the head when the language has none
  // (what the views show).
  const CLocalizedHotKey& GetKey(LANGID language) const;
  // The key the build writes for a language (see WriteEntry).
  const CLocalizedHotKey& GetBuildKey(LANGID language, bool useSource) const;
  // Same source flags (end bit included) and key.
  bool SameSourceKey(const CResAccelerator& other) const {
    return m_key.m_hotFlags == other.m_key.m_hotFlags && m_key.m_key == other.m_key.m_key;
  }

  WORD m_commandId = 0;
  // Head: the source flags as read (end bit included) and key, in the resource's language.
  CLocalizedHotKey m_key;
};

class CResAcceleratorTable : public CResource {
  DECLARE_SERIAL(CResAcceleratorTable)
 public:
  // A new table is marked do not translate: its keys are written unchanged until the user
  // clears the mark.
  CResAcceleratorTable();

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  int ComputeStatus(LANGID language) const override;

  size_t GetCount() const { return m_entries.GetSize(); }
  CResAccelerator* GetEntry(size_t i) const { return m_entries.GetAt(i); }

  CTypedObArray<CResAccelerator> m_entries;

 private:
  // Pairing of a translated executable's entries, whose keys are the translated ones.
  void MergeTranslated(const CResAcceleratorTable& other, bool copyProperties, bool importMode);
};
