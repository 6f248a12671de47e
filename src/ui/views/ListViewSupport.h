#pragma once
// What the translation lists share around their rows: the frame's filter they fill by and
// the way they let go of the document.
#include "project/TvlDoc.h"
#include "project/ViewHints.h"
#include "ui/MainWindow.h"

namespace tvl::ui {

inline void ReadFrameFilter(const CMainFrame& frame, LANGID& language, int& mode, bool& showNonTranslatable) {
  language = frame.GetSelectedLanguage();
  mode = frame.GetMode();
  showNonTranslatable = frame.GetShowNonTranslatable();
}

// Once only: no more hints, the rows dropped, and the editor cleared of the item this list
// offered it.
template <class Model>
void LeaveDocument(bool& released, CTvlDoc& document, CDocumentView* view, Model* model) {
  if (released) return;
  released = true;
  document.RemoveView(view);
  model->Release();
  document.UpdateAllViews(HintTranslationRequest, nullptr);
}

}  // namespace tvl::ui
