#include "ArchiveTestClasses.h"

IMPLEMENT_SERIAL_UNREGISTERED(TestModule, CObject, VERSIONABLE_SCHEMA | 3, "CModule")
IMPLEMENT_SERIAL_UNREGISTERED(TestNode, CObject, VERSIONABLE_SCHEMA | 1, "TestNode")
IMPLEMENT_SERIAL_UNREGISTERED(TestLeaf, TestNode, VERSIONABLE_SCHEMA | 1, "TestLeaf")
IMPLEMENT_SERIAL_UNREGISTERED(TestAbstract, CObject, VERSIONABLE_SCHEMA | 1, "TestAbstract")
IMPLEMENT_DYNAMIC(TestDynamic, CObject)

void TestModule::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_id << m_name << m_flags;
  } else {
    m_loadedSchema = ar.GetObjectSchema();
    ar >> m_id;
    if (m_loadedSchema >= 2) ar >> m_name;
    if (m_loadedSchema >= 3) ar >> m_flags;
  }
}

void TestNode::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_value;
    ar.WriteObject(m_child.get());
    ar.WriteObject(m_shared);
  } else {
    ar.GetObjectSchema();
    ar >> m_value;
    m_child = ar.ReadObject<TestNode>();
    m_shared = ar.ReadObjectRef(nullptr);
  }
}
