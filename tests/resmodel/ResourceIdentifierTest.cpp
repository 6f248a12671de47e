// CResourceIdentifier (fields, setting from a name value, equality, text form).
#include <gtest/gtest.h>

#include "resmodel/ResourceIdentifier.h"

TEST(CResourceIdentifier, NewIsKindNone) {
  CResourceIdentifier id;
  EXPECT_EQ(id.m_kind, 0);
  EXPECT_EQ(id.GetText(), u"???");
  EXPECT_EQ(id.ToResName(), CResName(WORD{0}));
}

TEST(CResourceIdentifier, SetFromNameValue) {
  CResourceIdentifier id;
  id.SetName(CResName(WORD{0}));
  EXPECT_EQ(id.m_kind, 1);  // ordinal also for 0
  EXPECT_EQ(id.m_ordinal, 0);
  id.SetName(CResName(WORD{0xFFFF}));
  EXPECT_EQ(id.m_kind, 1);
  EXPECT_EQ(id.m_ordinal, 0xFFFF);
  id.SetName(CResName(u"MyDialog"));
  EXPECT_EQ(id.m_kind, 2);
  EXPECT_EQ(id.m_name, u"MyDialog");
  EXPECT_EQ(id.ToResName(), CResName(u"MyDialog"));
}

TEST(CResourceIdentifier, Equality) {
  CResourceIdentifier a, b;
  EXPECT_TRUE(a == b);  // two kind-0
  a.SetOrdinal(5);
  EXPECT_FALSE(a == b);
  b.SetOrdinal(5);
  EXPECT_TRUE(a == b);
  b.SetOrdinal(6);
  EXPECT_FALSE(a == b);
  a.SetString(u"Name");
  b.SetString(u"NAME");
  EXPECT_FALSE(a == b);  // case-sensitive
  b.SetString(u"Name");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a == CResName(u"Name"));
  CResourceIdentifier five;
  five.SetString(u"5");
  CResourceIdentifier ord5(CResName(WORD{5}));
  EXPECT_FALSE(five == ord5);
}

TEST(CResourceIdentifier, TextForm) {
  CResourceIdentifier id(CResName(WORD{241}));
  EXPECT_EQ(id.GetText(), u"241");
  EXPECT_EQ(id.GetText(true), u"241");
  id.SetString(u"PNG");
  EXPECT_EQ(id.GetText(), u"PNG");
  EXPECT_EQ(id.GetText(true), u"\"PNG\"");
}
