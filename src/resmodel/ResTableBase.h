#pragma once
// CResTableBase: reads the resources of an executable and hands each one, as a
// CResStream, to AddRawResource. The resource table proper builds on it.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "platform/Types.h"

class CArchive;
class CPeImage;
class CResName;
class CResStream;
class CResourceIdentifier;
class CResourceType;

class CResTableBase : public CObject {
 public:
  CResTableBase();
  virtual ~CResTableBase();
  CResTableBase(const CResTableBase&) = delete;
  CResTableBase& operator=(const CResTableBase&) = delete;

  // Walks the file's resources in directory order. overrideLanguage is recorded as the
  // language of every resource unless it is kNoLanguage. False when the file cannot be
  // opened as a PE image or has no readable resource directory; nothing is reported here.
  virtual bool Load(const std::u16string& path, LANGID overrideLanguage);
  // The same over the bytes of a file already in memory.
  bool LoadBytes(std::vector<BYTE> bytes, LANGID overrideLanguage);

  // Called once per resource of the walk; the stream's module stays loaded meanwhile.
  // Routes the resource to the handler of its type, created on demand when there is none.
  virtual void AddRawResource(CResStream& stream);
  // A resource of zero bytes: legal, and programs test for its presence, so it is kept as
  // it is (never parsed, never offered for translation) and written to every target.
  void AddEmptyResource(const CResName& type, const CResName& name, LANGID language);
  // The handler of a type (ordinal, or case-sensitive name); nullptr when there is none.
  CResourceType* FindType(const CResourceIdentifier& type) const;
  // For each handler of other, the handler of the same type here merges it.
  virtual void Merge(const CResTableBase& other, bool copyProperties, bool importMode);
  virtual void Dump(std::ostream& out) const;
  // Stores the override language and the handlers created on demand.
  void SerializeBase(CArchive& ar);

  const std::vector<CResourceType*>& GetTypes() const { return m_types; }
  // Appends a handler the table owns (created on demand).
  CResourceType* AddOwnedType(std::unique_ptr<CResourceType> type);

  LANGID m_overrideLanguage = kNoLanguage;
  std::u16string m_path;

 protected:
  // The module of the walk in progress; null outside Load.
  std::unique_ptr<CPeImage> m_module;
  // Every handler in list order: the fixed ones (members of the table) and those created
  // on demand (owned here).
  std::vector<CResourceType*> m_types;
  std::vector<std::unique_ptr<CResourceType>> m_ownedTypes;

 private:
  bool Walk();
};
