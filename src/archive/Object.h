#pragma once
// The framework object: run-time class records, the registry of storable classes, and the
// macros that give a class its record.
//
// A storable class:
//
//   // Foo.h
//   class CFoo : public CObject {
//     DECLARE_SERIAL(CFoo)
//    public:
//     void Serialize(CArchive& ar) override;
//   };
//   // Foo.cpp
//   IMPLEMENT_SERIAL(CFoo, CObject, VERSIONABLE_SCHEMA | 1)
//
// The class name written into files is the C++ class name, exactly as spelled. Storable
// classes need a default constructor (it may be protected); for an abstract class the
// factory yields nothing and loading one is "out of memory", as the framework does.
// A class with run-time class information but no schema (never stored) uses
// DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC. Like the framework's, the DECLARE_ macros leave the
// class in a public section.
//
// IMPLEMENT_SERIAL registers the class by name at program start. The core is a static
// library: a class whose object file nothing else references is not linked in, and then a
// file naming it loads as "unexpected object". Every class of the program is referenced
// by the code that owns it, so this only bites classes created purely by name.
//
// Tests (or tools) that need a class under a name the program may also use (a test-local
// "CModule") declare it with IMPLEMENT_SERIAL_UNREGISTERED and register it for a scope with
// CScopedClassRegistration: while it lives, the name resolves to the test class, hiding
// the program's class of that name; afterwards the previous class is back.
#include <cstddef>
#include <string_view>
#include <type_traits>

#include "platform/Types.h"

class CArchive;
class CObject;

// The schema's flag for "accepts any stored schema and reads older data itself".
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000u;
// The schema of a class that is not storable.
constexpr UINT kNoSchema = 0xFFFF;

struct CRuntimeClass {
  const char* m_lpszClassName;              // ASCII, fewer than 64 characters
  UINT m_wSchema;                           // schema number | VERSIONABLE_SCHEMA, or kNoSchema
  CObject* (*m_pfnCreateObject)();          // nullptr: cannot be created (abstract)
  const CRuntimeClass* m_pBaseClass;        // nullptr for CObject

  bool IsStorable() const { return m_wSchema != kNoSchema; }
  bool IsVersionable() const { return (m_wSchema & VERSIONABLE_SCHEMA) != 0; }
  // The number written into files (without the flag).
  WORD GetSchemaNumber() const { return static_cast<WORD>(m_wSchema & ~VERSIONABLE_SCHEMA); }
  // An empty object; nullptr when the class has no factory or memory ran out.
  CObject* CreateObject() const;
  // True for this class itself and every class it derives from.
  bool IsDerivedFrom(const CRuntimeClass* base) const;
  std::string_view GetName() const { return m_lpszClassName; }

  // The storable class registered under a name (exact, case-sensitive); nullptr if none.
  static const CRuntimeClass* FromName(std::string_view name);
};

// The registry of storable classes, looked up by name. A name may be registered more than
// once; the latest registration wins until it is removed.
namespace ClassRegistry {
void Register(const CRuntimeClass* cls);
// Removes this registration of the class (the latest one, if registered more than once).
void Unregister(const CRuntimeClass* cls);
}  // namespace ClassRegistry

// Registers a class for its lifetime (see above).
class CScopedClassRegistration {
 public:
  explicit CScopedClassRegistration(const CRuntimeClass* cls) : m_class(cls) { ClassRegistry::Register(cls); }
  ~CScopedClassRegistration() { ClassRegistry::Unregister(m_class); }
  CScopedClassRegistration(const CScopedClassRegistration&) = delete;
  CScopedClassRegistration& operator=(const CScopedClassRegistration&) = delete;

 private:
  const CRuntimeClass* m_class;
};

// Static registration used by IMPLEMENT_SERIAL.
struct CClassRegistration {
  explicit CClassRegistration(const CRuntimeClass* cls) { ClassRegistry::Register(cls); }
};

class CObject {
 public:
  virtual ~CObject() = default;

  virtual const CRuntimeClass* GetRuntimeClass() const;
  // Stores or loads the object's fields; the base has none.
  virtual void Serialize(CArchive& ar);

  bool IsKindOf(const CRuntimeClass* cls) const;

  static const CRuntimeClass classCObject;
  static const CRuntimeClass* GetThisClass() { return &classCObject; }

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                           \
 public:                                                                      \
  static const CRuntimeClass class##class_name;                               \
  static const CRuntimeClass* GetThisClass() { return &class##class_name; }   \
  const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_SERIAL(class_name) \
  DECLARE_DYNAMIC(class_name)      \
  static CObject* CreateObject();

namespace tvl_detail {
// Calls make only for a class that can be instantiated. make is a generic lambda defined
// inside the class's own CreateObject, so it may use a protected constructor.
template <class T, class F>
CObject* CreateIfConcrete(F make) {
  if constexpr (std::is_abstract_v<T>)
    return nullptr;
  else
    return make(static_cast<T*>(nullptr));
}
}  // namespace tvl_detail

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                         \
  const CRuntimeClass class_name::class##class_name = {#class_name, kNoSchema, nullptr,        \
                                                       RUNTIME_CLASS(base_class_name)};        \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return &class##class_name; }

// A storable class stored under `stored_name`, not registered (see CScopedClassRegistration).
#define IMPLEMENT_SERIAL_UNREGISTERED(class_name, base_class_name, wSchema, stored_name)        \
  CObject* class_name::CreateObject() {                                                        \
    return tvl_detail::CreateIfConcrete<class_name>([](auto* tag) -> CObject* {                \
      using T = std::remove_pointer_t<decltype(tag)>;                                          \
      return new T;                                                                            \
    });                                                                                        \
  }                                                                                            \
  const CRuntimeClass class_name::class##class_name = {stored_name, wSchema,                   \
                                                       &class_name::CreateObject,              \
                                                       RUNTIME_CLASS(base_class_name)};        \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return &class##class_name; }

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                 \
  IMPLEMENT_SERIAL_UNREGISTERED(class_name, base_class_name, wSchema, #class_name)             \
  static const CClassRegistration tvl_registration_##class_name(&class_name::class##class_name);
