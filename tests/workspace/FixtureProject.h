#pragma once
// all32.exe in a project with French as its target, nothing translated.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/Text.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"

struct CFixtureProject {
  static constexpr LANGID kFrench = 0x040C;
  CFixtureProject() {
    std::filesystem::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(tvl::FromUtf8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kFrench));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
  }
  CModule& Module() const { return *doc.m_modules[0]; }
  CScratchDir dir;
  CTvlDoc doc;
};
