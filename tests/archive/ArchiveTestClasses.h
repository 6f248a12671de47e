#pragma once
// Storable classes that exist only for the archive tests.
//
// TestModule is stored under the name "CModule" with schema 3, like the program's module
// record, but it is not registered at start-up (the program's own CModule may be linked into
// the same test program): each test that loads it registers it for its own duration with
// CScopedClassRegistration, which hides any other class of that name until it ends.
#include <memory>
#include <string>

#include "archive/Archive.h"
#include "archive/Object.h"

class TestModule : public CObject {
  DECLARE_SERIAL(TestModule)

  // Schema 1: WORD id. Schema 2 adds the name. Schema 3 adds a DWORD flag.
  void Serialize(CArchive& ar) override;

  WORD m_id = 0;
  std::u16string m_name;
  DWORD m_flags = 0;
  UINT m_loadedSchema = 0xFFFFFFFF;  // what GetObjectSchema gave while loading
};

// A node with one owned child and one shared (non-owning) reference.
class TestNode : public CObject {
  DECLARE_SERIAL(TestNode)

  void Serialize(CArchive& ar) override;

  DWORD m_value = 0;
  std::unique_ptr<TestNode> m_child;
  CObject* m_shared = nullptr;
};

// Derives from TestNode (for the derivation test).
class TestLeaf : public TestNode {
  DECLARE_SERIAL(TestLeaf)
};

// A storable class that cannot be created.
class TestAbstract : public CObject {
  DECLARE_SERIAL(TestAbstract)
  virtual void Pure() = 0;
};

// Run-time class but no schema.
class TestDynamic : public CObject {
  DECLARE_DYNAMIC(TestDynamic)
};

// Registers every test class for the lifetime of a test.
struct TestClassScope {
  CScopedClassRegistration module{RUNTIME_CLASS(TestModule)};
  CScopedClassRegistration node{RUNTIME_CLASS(TestNode)};
  CScopedClassRegistration leaf{RUNTIME_CLASS(TestLeaf)};
  CScopedClassRegistration abstract{RUNTIME_CLASS(TestAbstract)};
};
