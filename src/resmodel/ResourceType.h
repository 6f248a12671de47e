#pragma once
// The handler of one resource type: holds the resources of that type and creates them
// from the walk.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "resmodel/Resource.h"
#include "resmodel/ResourceIdentifier.h"

class CCompileContext;
class CResStream;
class CResTableBase;

class CResourceType : public CObject {
  DECLARE_SERIAL(CResourceType)
 public:
  // A handler created on demand: CResBinary resources, images 0/2 and 4/4, "bin".
  CResourceType();
  // A fixed handler with the values its table gives it.
  CResourceType(WORD type, const CRuntimeClass* resourceClass, std::u16string displayName, int folderImage,
                int folderSelectedImage, int itemImage, int itemSelectedImage, std::u16string extension,
                std::u16string filter);
  ~CResourceType() override;

  void Serialize(CArchive& ar) override;

  // In slot order.
  virtual bool AddResource(CResStream& stream);
  virtual void Dump(std::ostream& out) const;
  virtual void Write(CCompileContext& context);
  virtual void Merge(const CResourceType& other, bool copyProperties, bool importMode);
  virtual void UpdateStatus(LANGID language);
  virtual int GetStatus(LANGID language) const;
  virtual int GetCount() const { return static_cast<int>(m_resources.size()); }
  virtual bool IsStringTable() const { return false; }
  virtual std::u16string GetDisplayName() const;
  virtual std::u16string GetFileExtension() const { return m_fileExtension; }

  // The translatable texts of every resource, each path prefixed by its resource's
  // identifier ("\"ABOUT\"/..." or "100/...").
  virtual void CollectTextItems(std::vector<CTextItem>& items);

  // The first resource with that identifier (case-sensitive names).
  CResource* FindResource(const CResourceIdentifier& id) const;
  CResource* GetResource(int i) const { return m_resources[static_cast<size_t>(i)].get(); }
  // Appends a resource (owned) and makes this handler its owner.
  CResource* AddResourceObject(std::unique_ptr<CResource> resource);
  std::unique_ptr<CResource> RemoveResource(CResource* resource);
  // Appends a resource of zero bytes, kept as raw bytes and marked not to translate.
  void AddEmptyResource(const CResourceIdentifier& name, LANGID language);

  CResourceIdentifier m_identifier;
  std::vector<std::unique_ptr<CResource>> m_resources;
  const CRuntimeClass* m_resourceClass = nullptr;
  BYTE m_createdOnDemand = 0;
  std::u16string m_displayName;
  int m_folderImages[2] = {0, 2};
  int m_itemImages[2] = {4, 4};
  std::u16string m_fileExtension;
  std::u16string m_fileFilter;
  CResTableBase* m_owner = nullptr;  // not owned
};
