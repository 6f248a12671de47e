#pragma once
// The project of all32.exe open in French, with a resource of a type selected by labels.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"

struct CContentViewFixture : CFrameFixture {
  static constexpr LANGID kFrench = 0x040C;
  static constexpr LANGID kGerman = 0x0407;

  CContentViewFixture() {
    EXPECT_TRUE(Open(project.Path()));
    module = doc.m_modules[0].get();
    SetLanguage(kFrench);
  }
  // Selects the resource node under a type node; null when there is none.
  template <class T>
  T* SelectResource(const std::u16string& typeLabel, const std::u16string& label) {
    CProjectNode* type = FindNode(typeLabel);
    if (!type) return nullptr;
    for (const auto& c : type->m_children)
      if (c->GetLabel() == label) {
        Select(c.get());
        return dynamic_cast<T*>(static_cast<CResource*>(const_cast<void*>(c->GetObject())));
      }
    return nullptr;
  }
  // Selects the resource whose type and identifier read as given (e.g. "10" and "700").
  template <class T>
  T* SelectByText(const std::u16string& type, const std::u16string& id) {
    for (CResourceType* t : module->m_resTable.GetTypes()) {
      if (t->m_identifier.GetText() != type) continue;
      for (const auto& r : t->m_resources)
        if (r->m_identifier.GetText() == id) {
          Select(frame->Tree()->Root()->FindNode(r.get()));
          return dynamic_cast<T*>(r.get());
        }
    }
    return nullptr;
  }
  template <class V>
  V* View() const {
    return dynamic_cast<V*>(frame->ResourcePane()->View());
  }

  CProjectFile project;
  CModule* module = nullptr;
};
