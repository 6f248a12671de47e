// The object archive, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveTestClasses.h"
#include "TestSupport.h"
#include "archive/Archive.h"
#include "archive/Collections.h"
#include "platform/Text.h"
#include "resmodel/ResourceIdentifier.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes Ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Wide(const std::u16string& s) {
  Bytes out;
  for (char16_t c : s) {
    out.push_back(static_cast<BYTE>(c));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  return out;
}

Bytes Store(const std::function<void(CArchive&)>& write) {
  CArchive ar;
  write(ar);
  return ar.GetStoredBytes();
}

// Loads the bytes with `read`; returns the archive exception's cause, or -1 when none.
int LoadCause(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
  try {
    CArchive ar(bytes.data(), bytes.size(), u"test.tvl");
    read(ar);
    ar.Close();
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return -1;
}

std::u16string LoadString(const Bytes& bytes) {
  CArchive ar(bytes.data(), bytes.size());
  return ar.ReadString();
}

Bytes StringBytes(const std::u16string& s) {
  return Store([&](CArchive& ar) { ar << s; });
}

}  // namespace

// --- plain values ------------------------------------------------------------------------------

TEST(Archive, PlainValuesAreLittleEndianWithoutPadding) {
  Bytes bytes = Store([](CArchive& ar) {
    ar << BYTE{0xAB} << true << false << WORD{0x1234} << DWORD{0x89ABCDEF} << LONG{-2} << LONGLONG{-1}
       << 1.0f << 1.0 << std::int16_t{-3};
  });
  Bytes expected = {0xAB, 1, 0, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF,
                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F,
                    0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xFD, 0xFF};
  EXPECT_EQ(bytes, expected);

  CArchive ar(bytes.data(), bytes.size());
  BYTE b;
  bool t, f;
  WORD w;
  DWORD d;
  LONG l;
  LONGLONG q;
  float fl;
  double db;
  std::int16_t s;
  ar >> b >> t >> f >> w >> d >> l >> q >> fl >> db >> s;
  EXPECT_EQ(b, 0xAB);
  EXPECT_TRUE(t);
  EXPECT_FALSE(f);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(d, 0x89ABCDEFu);
  EXPECT_EQ(l, -2);
  EXPECT_EQ(q, -1);
  EXPECT_EQ(fl, 1.0f);
  EXPECT_EQ(db, 1.0);
  EXPECT_EQ(s, -3);
  EXPECT_EQ(ar.GetRemaining(), 0u);
}

TEST(Archive, AnyNonZeroByteReadsAsTrue) {
  Bytes bytes = {0x02};
  CArchive ar(bytes.data(), bytes.size());
  bool v = false;
  ar >> v;
  EXPECT_TRUE(v);
}

TEST(Archive, ReadingPastTheEndIsEndOfFile) {
  EXPECT_EQ(LoadCause({0x01}, [](CArchive& ar) { WORD w; ar >> w; }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause({}, [](CArchive& ar) { BYTE b; ar >> b; }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause({1, 2, 3}, [](CArchive& ar) { DWORD d; ar >> d; }), CArchiveException::endOfFile);
}

TEST(Archive, RawReadReturnsWhatThereIs) {
  Bytes bytes = {1, 2, 3};
  CArchive ar(bytes.data(), bytes.size());
  BYTE buffer[8] = {};
  EXPECT_EQ(ar.Read(buffer, 8), 3u);
  EXPECT_EQ(buffer[2], 3);
  EXPECT_THROW(ar.ReadExact(buffer, 1), CArchiveException);
}

TEST(Archive, WrongDirectionErrors) {
  Bytes bytes = {0, 0};
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar << WORD{1}; }), CArchiveException::readOnly);
  try {
    CArchive ar;
    ar.SetFileName(u"out.tvl");
    WORD w;
    ar >> w;
    FAIL();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    EXPECT_EQ(e.GetErrorText(), u"An attempt was made to read from the writing out.tvl.");
  }
}

// --- counts --------------------------------------------------------------------------------------

TEST(Archive, CountEncodingAroundFFFF) {
  EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(0); }), (Bytes{0x00, 0x00}));
  EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(0xFFFE); }), (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(0xFFFF); }), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
  EXPECT_EQ(Store([](CArchive& ar) { ar.WriteCount(0x10000); }), (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}));
  for (size_t n : {size_t{0}, size_t{0xFFFE}, size_t{0xFFFF}, size_t{0x10000}, size_t{0x12345678}}) {
    Bytes bytes = Store([&](CArchive& ar) { ar.WriteCount(n); });
    CArchive ar(bytes.data(), bytes.size());
    EXPECT_EQ(ar.ReadCount(), n);
  }
}

TEST(Archive, WordArrayAroundFFFFElements) {
  for (size_t n : {size_t{0xFFFE}, size_t{0xFFFF}}) {
    CWordArray words;
    for (size_t i = 0; i < n; ++i) words.m_data.push_back(static_cast<WORD>(i * 7));
    Bytes bytes = Store([&](CArchive& ar) { words.Serialize(ar); });
    size_t header = n < 0xFFFF ? 2 : 6;
    ASSERT_EQ(bytes.size(), header + 2 * n);
    if (n == 0xFFFE) {
      EXPECT_EQ((Bytes{bytes[0], bytes[1]}), (Bytes{0xFE, 0xFF}));
    } else {
      EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    }
    CWordArray loaded;
    CArchive ar(bytes.data(), bytes.size());
    loaded.Serialize(ar);
    EXPECT_EQ(loaded.m_data, words.m_data);
  }
}

// --- strings -------------------------------------------------------------------------------------

TEST(Archive, EmptyStringIsFFFEFF00) {
  EXPECT_EQ(StringBytes(u""), (Bytes{0xFF, 0xFE, 0xFF, 0x00}));
  EXPECT_EQ(LoadString({0xFF, 0xFE, 0xFF, 0x00}), u"");
}

TEST(Archive, StringLengthEscapes) {
  std::u16string s254(254, u'x'), s255(255, u'y'), s300(300, u'z'), sFFFE(0xFFFE, u'w');
  EXPECT_EQ(StringBytes(s254), (Bytes{0xFF, 0xFE, 0xFF, 0xFE} + Wide(s254)));
  EXPECT_EQ(StringBytes(s255), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00} + Wide(s255)));
  EXPECT_EQ(StringBytes(s300), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01} + Wide(s300)));
  EXPECT_EQ(StringBytes(sFFFE), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00} + Wide(sFFFE)));
  for (const auto* s : {&s254, &s255, &s300, &sFFFE}) EXPECT_EQ(LoadString(StringBytes(*s)), *s);
  EXPECT_EQ(LoadString(StringBytes(u"H\u00e9llo \u65e5\u672c")), u"H\u00e9llo \u65e5\u672c");
}

TEST(Archive, EightBitFormReads) {
  EXPECT_EQ(LoadString(Bytes{0x03} + Ascii("abc")), u"abc");
  EXPECT_EQ(LoadString(Bytes{0x00}), u"");
  // 0xFF then a WORD length that is not FFFE: still 8-bit.
  EXPECT_EQ(LoadString(Bytes{0xFF, 0x03, 0x00} + Ascii("abc")), u"abc");
  // 8-bit with a DWORD length.
  EXPECT_EQ(LoadString(Bytes{0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00} + Ascii("abc")), u"abc");
  std::string ansi(300, 'q');
  EXPECT_EQ(LoadString(Bytes{0xFF, 0x2C, 0x01} + Ascii(ansi)), std::u16string(300, u'q'));
  // Characters above 0x7F come from the system's ANSI code page.
  EXPECT_EQ(LoadString(Bytes{0x02, 0xE9, 0x80}), tvl::MultiByteToWide(0, "\xE9\x80"));
  if (tvl::SystemAnsiCodePage() == 1252) {
    EXPECT_EQ(LoadString(Bytes{0x02, 0xE9, 0x80}), u"\u00e9\u20ac");
  }
}

TEST(Archive, WideFormWithLongLengths) {
  const Bytes marker = {0xFF, 0xFE, 0xFF};
  // Wide, WORD length.
  EXPECT_EQ(LoadString(marker + Bytes{0xFF, 0x02, 0x00} + Wide(u"ab")), u"ab");
  // Wide, DWORD length.
  EXPECT_EQ(LoadString(marker + Bytes{0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0} + Wide(u"ab")), u"ab");
  // Wide, LONGLONG length.
  const Bytes toLongLong = marker + Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(LoadString(toLongLong + Bytes{2, 0, 0, 0, 0, 0, 0, 0} + Wide(u"ab")), u"ab");
  // 8-bit with a LONGLONG length.
  EXPECT_EQ(LoadString(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0} + Ascii("ab")), u"ab");
  // A LONGLONG length of 2^31 or more is the generic error.
  EXPECT_EQ(LoadCause(toLongLong + Bytes{0, 0, 0, 0x80, 0, 0, 0, 0}, [](CArchive& ar) { ar.ReadString(); }),
            CArchiveException::genericException);
  // 2^31 - 1 is in range but not in the file: end of file, and nothing allocated for it.
  EXPECT_EQ(LoadCause(toLongLong + Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}, [](CArchive& ar) { ar.ReadString(); }),
            CArchiveException::endOfFile);
}

TEST(Archive, ShortStringIsEndOfFile) {
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFE, 0xFF, 0x03} + Wide(u"ab"), [](CArchive& ar) { ar.ReadString(); }),
            CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(Bytes{0x05} + Ascii("abc"), [](CArchive& ar) { ar.ReadString(); }),
            CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFE}, [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}, [](CArchive& ar) { ar.ReadString(); }),
            CArchiveException::endOfFile);
}

TEST(Archive, EmbeddedNulIsStoredWholeButReadsCut) {
  std::u16string s(u"ab\0cd", 5);
  Bytes bytes = StringBytes(s);
  EXPECT_EQ(bytes, (Bytes{0xFF, 0xFE, 0xFF, 0x05} + Wide(s)));
  EXPECT_EQ(LoadString(bytes), u"ab");
  EXPECT_EQ(LoadString(Bytes{0x05, 'a', 'b', 0, 'c', 'd'}), u"ab");
}

// --- class and object references --------------------------------------------------------------

TEST(Archive, WorkedExampleObArrayOfTwoModules) {
  TestClassScope scope;
  CTypedObArray<TestModule> modules;
  auto m1 = std::make_unique<TestModule>();
  m1->m_id = 0x0101;
  m1->m_name = u"a";
  m1->m_flags = 1;
  TestModule* first = m1.get();
  modules.Add(std::move(m1));
  auto m2 = std::make_unique<TestModule>();
  m2->m_id = 0x0202;
  m2->m_name = u"bc";
  m2->m_flags = 2;
  modules.Add(std::move(m2));

  Bytes bytes = Store([&](CArchive& ar) {
    ar.SerializeClass(RUNTIME_CLASS(CObArray));
    modules.Serialize(ar);
    ar.WriteObject(first);  // a third reference to the first module
    EXPECT_EQ(ar.GetMapCount(), 5u);
  });

  Bytes fields1 = Bytes{0x01, 0x01} + StringBytes(u"a") + Bytes{1, 0, 0, 0};
  Bytes fields2 = Bytes{0x02, 0x02} + StringBytes(u"bc") + Bytes{2, 0, 0, 0};
  Bytes expected = Bytes{0xFF, 0xFF, 0x00, 0x00, 0x08, 0x00} + Ascii("CObArray") +  // class CObArray: index 1
                   Bytes{0x02, 0x00} +                                              // count
                   Bytes{0xFF, 0xFF, 0x03, 0x00, 0x07, 0x00} + Ascii("CModule") +   // class: 2, object: 3
                   fields1 + Bytes{0x02, 0x80} + fields2 +                          // known class; object 4
                   Bytes{0x03, 0x00};                                               // the first module again
  EXPECT_EQ(bytes, expected);

  CArchive ar(bytes.data(), bytes.size(), u"example.tvl");
  ar.SerializeClass(RUNTIME_CLASS(CObArray));
  EXPECT_EQ(ar.GetObjectSchema(), 0u);
  CTypedObArray<TestModule> loaded;
  loaded.Serialize(ar);
  CObject* again = ar.ReadObjectRef(RUNTIME_CLASS(TestModule));
  ar.Close();
  ASSERT_EQ(loaded.GetSize(), 2u);
  EXPECT_EQ(loaded[0]->m_id, 0x0101);
  EXPECT_EQ(loaded[0]->m_name, u"a");
  EXPECT_EQ(loaded[0]->m_flags, 1u);
  EXPECT_EQ(loaded[0]->m_loadedSchema, 3u);
  EXPECT_EQ(loaded[1]->m_name, u"bc");
  EXPECT_EQ(loaded[1]->m_loadedSchema, 3u);
  EXPECT_EQ(again, loaded[0]);
  EXPECT_EQ(ar.GetMapCount(), 5u);
}

TEST(Archive, NullObjectIsWordZero) {
  EXPECT_EQ(Store([](CArchive& ar) { ar.WriteObject(nullptr); }), (Bytes{0x00, 0x00}));
  Bytes bytes = {0, 0};
  CArchive ar(bytes.data(), bytes.size());
  EXPECT_EQ(ar.ReadObject(RUNTIME_CLASS(CObject)), nullptr);
}

TEST(Archive, SharedReferenceIsStoredOnce) {
  TestClassScope scope;
  TestNode shared;
  shared.m_value = 7;
  TestNode a, b;
  a.m_value = 1;
  a.m_shared = &shared;
  b.m_value = 2;
  b.m_shared = &shared;

  Bytes bytes = Store([&](CArchive& ar) {
    ar.WriteObject(&shared);
    ar.WriteObject(&a);
    ar.WriteObject(&b);
  });
  Bytes nodeClass = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestNode");
  Bytes expected = nodeClass + Bytes{7, 0, 0, 0} + Bytes{0, 0} + Bytes{0, 0} +  // class 1, shared = 2
                   Bytes{0x01, 0x80} + Bytes{1, 0, 0, 0} + Bytes{0, 0} + Bytes{0x02, 0x00} +  // a = 3
                   Bytes{0x01, 0x80} + Bytes{2, 0, 0, 0} + Bytes{0, 0} + Bytes{0x02, 0x00};   // b = 4
  EXPECT_EQ(bytes, expected);

  CArchive ar(bytes.data(), bytes.size());
  auto s = ar.ReadObject<TestNode>();
  auto la = ar.ReadObject<TestNode>();
  auto lb = ar.ReadObject<TestNode>();
  ar.Close();
  EXPECT_EQ(la->m_shared, s.get());
  EXPECT_EQ(lb->m_shared, s.get());
  EXPECT_EQ(s->m_value, 7u);
}

TEST(Archive, SecondOwnerOfOneObjectIsBadFormat) {
  TestClassScope scope;
  TestNode n;
  Bytes bytes = Store([&](CArchive& ar) {
    ar.WriteObject(&n);
    ar.WriteObject(&n);
  });
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { auto keep = ar.ReadObject<TestNode>(); ar.ReadObject<TestNode>(); }),
            CArchiveException::badIndex);
  // Owned once, shared once: fine.
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { auto o = ar.ReadObject<TestNode>(); ar.ReadObjectRef(nullptr); }), -1);
}

TEST(Archive, ObjectOwningItsAncestorIsBadFormat) {
  TestClassScope scope;
  // A node whose child reference points back at itself (index 2, still being read).
  Bytes bytes = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestNode") + Bytes{1, 0, 0, 0} +
                Bytes{0x02, 0x00} + Bytes{0, 0};
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadObject<TestNode>(); }), CArchiveException::badIndex);
  // As a shared reference the cycle is fine.
  Bytes shared = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestNode") + Bytes{1, 0, 0, 0} +
                 Bytes{0, 0} + Bytes{0x02, 0x00};
  CArchive ar(shared.data(), shared.size());
  auto node = ar.ReadObject<TestNode>();
  EXPECT_EQ(node->m_shared, node.get());
  ar.Close();
}

TEST(Archive, ObjectLeftWithoutOwnerFailsClose) {
  TestClassScope scope;
  TestNode n;
  Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&n); });
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadObjectRef(nullptr); }), CArchiveException::badIndex);
}

TEST(Archive, VersionableSchemaPath) {
  TestClassScope scope;
  // CModule stored with schema 1 (id only) and 2 (id and name), then the class again.
  Bytes v1 = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00} + Ascii("CModule") + Bytes{0x34, 0x12} +
             Bytes{0x01, 0x80} + Bytes{0x78, 0x56};
  {
    CArchive ar(v1.data(), v1.size());
    auto a = ar.ReadObject<TestModule>();
    auto b = ar.ReadObject<TestModule>();
    EXPECT_EQ(a->m_loadedSchema, 1u);
    EXPECT_EQ(a->m_id, 0x1234);
    EXPECT_EQ(b->m_loadedSchema, 1u);  // from the schema map for the class read again
    EXPECT_EQ(b->m_id, 0x5678);
    EXPECT_EQ(ar.GetRemaining(), 0u);
    // The pending schema is reset after each Serialize call used it.
    EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
  }
  Bytes v2 = Bytes{0xFF, 0xFF, 0x02, 0x00, 0x07, 0x00} + Ascii("CModule") + Bytes{0x34, 0x12} + StringBytes(u"old");
  {
    CArchive ar(v2.data(), v2.size());
    auto a = ar.ReadObject<TestModule>();
    EXPECT_EQ(a->m_loadedSchema, 2u);
    EXPECT_EQ(a->m_name, u"old");
    EXPECT_EQ(a->m_flags, 0u);
  }
  // A newer schema than the program knows also goes to the class, which decides.
  Bytes v9 = Bytes{0xFF, 0xFF, 0x09, 0x00, 0x07, 0x00} + Ascii("CModule") + Bytes{0, 0} + StringBytes(u"") + Bytes{0, 0, 0, 0};
  {
    CArchive ar(v9.data(), v9.size());
    EXPECT_EQ(ar.ReadObject<TestModule>()->m_loadedSchema, 9u);
  }
}

TEST(Archive, GetObjectSchemaResetsToUnknown) {
  Bytes bytes = Bytes{0xFF, 0xFF, 0x00, 0x00, 0x08, 0x00} + Ascii("CObArray");
  CArchive ar(bytes.data(), bytes.size());
  EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
  ar.SerializeClass(RUNTIME_CLASS(CObArray));
  EXPECT_EQ(ar.GetObjectSchema(), 0u);
  EXPECT_EQ(ar.GetObjectSchema(), 0xFFFFFFFFu);
}

TEST(Archive, ObArraySchema1IsBadSchema) {
  Bytes bytes = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("CObArray");
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.SerializeClass(RUNTIME_CLASS(CObArray)); }),
            CArchiveException::badSchema);
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadObject(nullptr); }), CArchiveException::badSchema);
}

TEST(Archive, BadIndexes) {
  TestClassScope scope;
  Bytes nodeClass = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestNode");
  auto readObject = [](CArchive& ar) { ar.ReadObjectRef(nullptr); };
  // Object index beyond the entries read so far.
  EXPECT_EQ(LoadCause({0x01, 0x00}, readObject), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0x05, 0x00}, readObject), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00}, readObject), CArchiveException::badIndex);
  // Class index 0, and beyond.
  EXPECT_EQ(LoadCause({0x00, 0x80}, readObject), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0x01, 0x80}, readObject), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}, readObject), CArchiveException::badIndex);
  // An object reference where only a class may stand.
  EXPECT_EQ(LoadCause({0x00, 0x00}, [](CArchive& ar) { ar.SerializeClass(RUNTIME_CLASS(CObArray)); }),
            CArchiveException::badIndex);
  // A class index that names an object, an object index that names a class.
  Bytes node = nodeClass + Bytes{1, 0, 0, 0, 0, 0, 0, 0};  // class 1, object 2
  EXPECT_EQ(LoadCause(node + Bytes{0x02, 0x80}, [](CArchive& ar) { ar.ReadObjectRef(nullptr); ar.ReadObjectRef(nullptr); }),
            CArchiveException::badIndex);
  EXPECT_EQ(LoadCause(node + Bytes{0x01, 0x00}, [](CArchive& ar) { ar.ReadObjectRef(nullptr); ar.ReadObjectRef(nullptr); }),
            CArchiveException::badIndex);
}

TEST(Archive, BadClasses) {
  TestClassScope scope;
  auto readObject = [](CArchive& ar) { ar.ReadObjectRef(nullptr); };
  // A name of 64 characters or more.
  std::string longName(64, 'C');
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0x01, 0x00, 64, 0} + Ascii(longName), readObject), CArchiveException::badClass);
  // 63 characters is a length the framework reads, but no class has that name.
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0x01, 0x00, 63, 0} + Ascii(longName.substr(1)), readObject),
            CArchiveException::badClass);
  // Unknown class; a name cut short by the end of the file.
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00} + Ascii("CNone"), readObject), CArchiveException::badClass);
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestN"), readObject), CArchiveException::badClass);
  // Names are compared with regard to case.
  EXPECT_EQ(LoadCause(Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("testnode"), readObject), CArchiveException::badClass);
  // A class that is not the one asked for, nor derived from it.
  Bytes node = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestNode") + Bytes{1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(LoadCause(node, [](CArchive& ar) { ar.ReadObject<TestModule>(); }), CArchiveException::badClass);
  EXPECT_EQ(LoadCause(node, [](CArchive& ar) { ar.ReadObject<TestLeaf>(); }), CArchiveException::badClass);
  // A derived class is accepted where its base is asked for.
  Bytes leaf = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00} + Ascii("TestLeaf") + Bytes{1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(LoadCause(leaf, [](CArchive& ar) { EXPECT_TRUE(ar.ReadObject<TestNode>()->IsKindOf(RUNTIME_CLASS(TestLeaf))); }), -1);
  // An object already read, referenced where another class is asked for.
  EXPECT_EQ(LoadCause(node + Bytes{0x02, 0x00}, [](CArchive& ar) { auto n = ar.ReadObject<TestNode>(); ar.ReadObjectRef(RUNTIME_CLASS(TestModule)); }),
            CArchiveException::badClass);
  // A typed array refuses elements of another class.
  Bytes array = Bytes{0x01, 0x00} + node;
  EXPECT_EQ(LoadCause(array, [](CArchive& ar) { CTypedObArray<TestModule> a; a.Serialize(ar); }), CArchiveException::badClass);
  EXPECT_EQ(LoadCause(array, [](CArchive& ar) { CObArray a; a.Serialize(ar); }), -1);
}

TEST(Archive, StorableButNotCreatableIsOutOfMemory) {
  TestClassScope scope;
  Bytes bytes = Bytes{0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00} + Ascii("TestAbstract");
  CArchive ar(bytes.data(), bytes.size());
  EXPECT_THROW(ar.ReadObject(nullptr), CMemoryException);
}

TEST(Archive, ClassWithoutSchemaIsNotSupported) {
  CArchive ar;
  TestDynamic d;
  EXPECT_THROW(ar.WriteObject(&d), CNotSupportedException);
  EXPECT_THROW(ar.WriteClass(RUNTIME_CLASS(CMapWordToString)), CNotSupportedException);
  EXPECT_TRUE(ar.GetStoredBytes().empty());
}

TEST(Archive, KnownClassTagsAndBigIndexes) {
  TestClassScope scope;
  // Enough objects that indexes pass 0x7FFF: the array class is 1, the node class 2, the
  // nodes 3 and up.
  const size_t n = 0x8002;
  CTypedObArray<TestNode> nodes;
  for (size_t i = 0; i < n; ++i) {
    auto node = std::make_unique<TestNode>();
    node->m_value = static_cast<DWORD>(i);
    nodes.Add(std::move(node));
  }
  TestNode* late = nodes[n - 1];  // index n + 2 = 0x8004
  TestNode* early = nodes[0x7FFE - 3];  // index 0x7FFE
  Bytes bytes = Store([&](CArchive& ar) {
    ar.SerializeClass(RUNTIME_CLASS(CObArray));
    nodes.Serialize(ar);
    ar.WriteObject(late);
    ar.WriteObject(early);
  });
  Bytes tail(bytes.end() - 8, bytes.end());
  EXPECT_EQ(tail, (Bytes{0xFF, 0x7F, 0x04, 0x80, 0x00, 0x00, 0xFE, 0x7F}));

  CArchive ar(bytes.data(), bytes.size());
  ar.SerializeClass(RUNTIME_CLASS(CObArray));
  CTypedObArray<TestNode> loaded;
  loaded.Serialize(ar);
  EXPECT_EQ(ar.ReadObjectRef(nullptr), loaded[n - 1]);
  EXPECT_EQ(ar.ReadObjectRef(nullptr), loaded[0x7FFE - 3]);
  ar.Close();
  EXPECT_EQ(loaded[n - 1]->m_value, n - 1);

  // A class whose index is 0x7FFF or more is referenced as 7FFF and DWORD 0x80000000 | n.
  CArchive big;
  big.SetMapCountForTesting(0x8000);
  big.WriteClass(RUNTIME_CLASS(CObArray));
  big.WriteClass(RUNTIME_CLASS(CObArray));
  Bytes out = big.GetStoredBytes();
  EXPECT_EQ(Bytes(out.end() - 6, out.end()), (Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x80}));
}

TEST(Archive, MapCountLimit) {
  CArchive ar;
  ar.SetMapCountForTesting(0x3FFFFFFD);
  ar.WriteClass(RUNTIME_CLASS(CObArray));  // takes 0x3FFFFFFD, the last valid index
  CObArray array;
  try {
    ar.WriteObject(&array);  // one more
    FAIL();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
  }
}

TEST(Archive, NestingIsBounded) {
  TestClassScope scope;
  // A chain of 50 nodes, each owning the next.
  auto head = std::make_unique<TestNode>();
  TestNode* tail = head.get();
  for (int i = 0; i < 49; ++i) {
    tail->m_child = std::make_unique<TestNode>();
    tail = tail->m_child.get();
  }
  Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(head.get()); });
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.ReadObject<TestNode>(); }), -1);
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { ar.SetMaxDepth(49); ar.ReadObject<TestNode>(); }),
            CArchiveException::badIndex);
}

// --- collections --------------------------------------------------------------------------------

TEST(Archive, StringWordAndByteArrays) {
  CStringArray strings;
  strings.m_data = {u"", u"ab"};
  CWordArray words;
  words.m_data = {0x0102, 0xFFFF};
  CByteArray bytesArray;
  bytesArray.m_data = {9, 8, 7};
  Bytes bytes = Store([&](CArchive& ar) {
    strings.Serialize(ar);
    words.Serialize(ar);
    bytesArray.Serialize(ar);
  });
  Bytes expected = Bytes{0x02, 0x00} + StringBytes(u"") + StringBytes(u"ab") + Bytes{0x02, 0x00, 0x02, 0x01, 0xFF, 0xFF} +
                   Bytes{0x03, 0x00, 9, 8, 7};
  EXPECT_EQ(bytes, expected);
  CArchive ar(bytes.data(), bytes.size());
  CStringArray s2;
  CWordArray w2;
  CByteArray b2;
  s2.Serialize(ar);
  w2.Serialize(ar);
  b2.Serialize(ar);
  EXPECT_EQ(s2.m_data, strings.m_data);
  EXPECT_EQ(w2.m_data, words.m_data);
  EXPECT_EQ(b2.m_data, bytesArray.m_data);
}

TEST(Archive, ByteArrayIsStorableUnderItsName) {
  CByteArray blob;
  blob.m_data = {1, 2};
  Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&blob); });
  EXPECT_EQ(bytes, (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00} + Ascii("CByteArray") + Bytes{0x02, 0x00, 1, 2}));
  CArchive ar(bytes.data(), bytes.size());
  auto loaded = ar.ReadObject<CByteArray>();
  EXPECT_EQ(loaded->m_data, blob.m_data);
}

TEST(Archive, CountsBeyondTheFileAreRefusedBeforeAllocating) {
  // Counts of 0xFFFFFFFE elements with nothing behind them.
  Bytes huge = {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(LoadCause(huge, [](CArchive& ar) { CByteArray a; a.Serialize(ar); }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(huge, [](CArchive& ar) { CWordArray a; a.Serialize(ar); }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(huge, [](CArchive& ar) { CStringArray a; a.Serialize(ar); }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(huge, [](CArchive& ar) { CObArray a; a.Serialize(ar); }), CArchiveException::endOfFile);
  EXPECT_EQ(LoadCause(huge, [](CArchive& ar) { CMapWordToString m; m.Serialize(ar); }), CArchiveException::endOfFile);
  // One byte short.
  EXPECT_EQ(LoadCause({0x03, 0x00, 1, 2}, [](CArchive& ar) { CByteArray a; a.Serialize(ar); }), CArchiveException::endOfFile);
}

TEST(Archive, MapStorageOrderAndReversal) {
  CMapWordToString map;
  // 0x0409 and 0x0407 hash to 0x40 (bucket 64 % 17 = 13); 0x0000 and 0x0110 share bucket 0;
  // 0x0010 is alone in bucket 1.
  map.SetAt(0x0409, u"enu");
  map.SetAt(0x0407, u"deu");
  map.SetAt(0x0010, u"one");
  map.SetAt(0x0000, u"zero");
  map.SetAt(0x0110, u"seventeen");
  EXPECT_EQ(map.GetCount(), 5u);
  Bytes bytes = Store([&](CArchive& ar) { map.Serialize(ar); });
  Bytes expected = Bytes{0x05, 0x00} + Bytes{0x10, 0x01} + StringBytes(u"seventeen") + Bytes{0x00, 0x00} +
                   StringBytes(u"zero") + Bytes{0x10, 0x00} + StringBytes(u"one") + Bytes{0x07, 0x04} +
                   StringBytes(u"deu") + Bytes{0x09, 0x04} + StringBytes(u"enu");
  EXPECT_EQ(bytes, expected);

  // Loading inserts in file order, so storing again reverses the keys of each bucket.
  CMapWordToString loaded;
  {
    CArchive ar(bytes.data(), bytes.size());
    loaded.Serialize(ar);
  }
  std::u16string value;
  EXPECT_TRUE(loaded.Lookup(0x0407, value));
  EXPECT_EQ(value, u"deu");
  Bytes again = Store([&](CArchive& ar) { loaded.Serialize(ar); });
  Bytes reversed = Bytes{0x05, 0x00} + Bytes{0x00, 0x00} + StringBytes(u"zero") + Bytes{0x10, 0x01} +
                   StringBytes(u"seventeen") + Bytes{0x10, 0x00} + StringBytes(u"one") + Bytes{0x09, 0x04} +
                   StringBytes(u"enu") + Bytes{0x07, 0x04} + StringBytes(u"deu");
  EXPECT_EQ(again, reversed);
}

TEST(Archive, MapRepeatedKeyReplacesInPlace) {
  Bytes bytes = Bytes{0x03, 0x00} + Bytes{0x09, 0x04} + StringBytes(u"a") + Bytes{0x07, 0x04} + StringBytes(u"b") +
                Bytes{0x09, 0x04} + StringBytes(u"c");
  CMapWordToString map;
  CArchive ar(bytes.data(), bytes.size());
  map.Serialize(ar);
  EXPECT_EQ(map.GetCount(), 2u);
  auto entries = map.GetEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (std::pair<WORD, std::u16string>{0x0407, u"b"}));
  EXPECT_EQ(entries[1], (std::pair<WORD, std::u16string>{0x0409, u"c"}));
  EXPECT_TRUE(map.RemoveKey(0x0407));
  EXPECT_FALSE(map.RemoveKey(0x0407));
  EXPECT_EQ(map.GetCount(), 1u);
}

// --- exceptions, files, registry ------------------------------------------------------------------

TEST(Archive, EveryExceptionMessage) {
  const std::u16string f = u"C:\\p\\x.tvl";
  EXPECT_EQ(CArchiveException(0, f).GetErrorText(), u"No error occurred.");
  EXPECT_EQ(CArchiveException(1, f).GetErrorText(), u"An unknown error occurred while accessing C:\\p\\x.tvl.");
  EXPECT_EQ(CArchiveException(2, f).GetErrorText(), u"An attempt was made to write to the reading C:\\p\\x.tvl.");
  EXPECT_EQ(CArchiveException(3, f).GetErrorText(), u"An attempt was made to access C:\\p\\x.tvl past its end.");
  EXPECT_EQ(CArchiveException(4, f).GetErrorText(), u"An attempt was made to read from the writing C:\\p\\x.tvl.");
  EXPECT_EQ(CArchiveException(5, f).GetErrorText(), u"C:\\p\\x.tvl has a bad format.");
  EXPECT_EQ(CArchiveException(6, f).GetErrorText(), u"C:\\p\\x.tvl contained an unexpected object.");
  EXPECT_EQ(CArchiveException(7, f).GetErrorText(), u"C:\\p\\x.tvl contains an incorrect schema.");
  EXPECT_EQ(CArchiveException(5, u"").GetErrorText(), u"an unnamed file has a bad format.");
  // The archive puts its file name into the exception.
  try {
    Bytes none;
    CArchive ar(none.data(), none.size(), u"/home/me/p.tvl");
    ar.ReadCount();
    FAIL();
  } catch (const CException& e) {
    EXPECT_EQ(e.GetErrorText(), u"An attempt was made to access /home/me/p.tvl past its end.");
  }
}

TEST(Archive, OverAFile) {
  TestClassScope scope;
  CScratchDir dir;
  std::u16string path = tvl::FromUtf8(dir.file("p.tvl"));
  TestModule module;
  module.m_id = 3;
  module.m_name = std::u16string(70000, u'n');  // more than the file buffer
  {
    CArchive ar(CArchive::store, path);
    ar << u"head";
    ar.WriteObject(&module);
    ar.Close();
  }
  Bytes onDisk = ReadFileBytes(dir.file("p.tvl"));
  Bytes inMemory = Store([&](CArchive& ar) {
    ar << u"head";
    ar.WriteObject(&module);
  });
  EXPECT_EQ(onDisk, inMemory);

  CArchive ar(CArchive::load, path);
  EXPECT_EQ(ar.GetFileName(), path);
  EXPECT_EQ(ar.ReadString(), u"head");
  auto loaded = ar.ReadObject<TestModule>();
  EXPECT_EQ(loaded->m_name, module.m_name);
  try {
    ar.ReadCount();
    FAIL();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.GetErrorText(), u"An attempt was made to access " + path + u" past its end.");
  }
  EXPECT_THROW(CArchive(CArchive::load, tvl::FromUtf8(dir.file("missing.tvl"))), CWin32Exception);
}

TEST(ClassRegistry, ScopedRegistrationHidesAndRestores) {
  const CRuntimeClass* before = CRuntimeClass::FromName("CModule");
  {
    CScopedClassRegistration reg(RUNTIME_CLASS(TestModule));
    EXPECT_EQ(CRuntimeClass::FromName("CModule"), RUNTIME_CLASS(TestModule));
  }
  EXPECT_EQ(CRuntimeClass::FromName("CModule"), before);
  EXPECT_EQ(CRuntimeClass::FromName("CObArray"), RUNTIME_CLASS(CObArray));
  EXPECT_EQ(CRuntimeClass::FromName("CStringArray"), RUNTIME_CLASS(CStringArray));
  EXPECT_EQ(CRuntimeClass::FromName("CWordArray"), RUNTIME_CLASS(CWordArray));
  EXPECT_EQ(CRuntimeClass::FromName("CByteArray"), RUNTIME_CLASS(CByteArray));
  EXPECT_EQ(CRuntimeClass::FromName("CResourceIdentifier"), RUNTIME_CLASS(CResourceIdentifier));
  EXPECT_EQ(CRuntimeClass::FromName("CObject"), nullptr);  // not storable
  EXPECT_FALSE(RUNTIME_CLASS(CObArray)->IsVersionable());
  EXPECT_EQ(RUNTIME_CLASS(CObArray)->GetSchemaNumber(), 0);
  EXPECT_TRUE(RUNTIME_CLASS(CResourceIdentifier)->IsVersionable());
  EXPECT_EQ(RUNTIME_CLASS(CResourceIdentifier)->GetSchemaNumber(), 1);
  EXPECT_TRUE(RUNTIME_CLASS(TestLeaf)->IsDerivedFrom(RUNTIME_CLASS(TestNode)));
  EXPECT_TRUE(RUNTIME_CLASS(TestLeaf)->IsDerivedFrom(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(RUNTIME_CLASS(TestNode)->IsDerivedFrom(RUNTIME_CLASS(TestLeaf)));
}

TEST(CResourceIdentifier, SerializeBytes) {
  CResourceIdentifier none, ordinal(CResName(WORD{5})), name(CResName(u"PNG"));
  Bytes bytes = Store([&](CArchive& ar) {
    none.Serialize(ar);
    ordinal.Serialize(ar);
    name.Serialize(ar);
  });
  EXPECT_EQ(bytes, (Bytes{0x00} + Bytes{0x01, 0x05, 0x00} + Bytes{0x02} + StringBytes(u"PNG")));
  CArchive ar(bytes.data(), bytes.size());
  CResourceIdentifier a, b, c;
  b.SetString(u"junk");
  a.Serialize(ar);
  b.Serialize(ar);
  c.Serialize(ar);
  EXPECT_TRUE(a == none);
  EXPECT_TRUE(b == ordinal);
  EXPECT_TRUE(c == name);
  EXPECT_TRUE(b.m_name.empty());
}
