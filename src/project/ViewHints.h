#pragma once
// How the document tells its views about changes: one observer interface carrying a hint
// number and an object.
#include "archive/Object.h"

enum ViewHint : int {
  HintModuleInserted = 1,
  HintRefreshAll = 2,
  HintSourceLanguageAdded = 3,
  HintTargetLanguageAdded = 4,
  HintLanguageRemoved = 5,
  HintLanguageChanged = 6,
  HintRebuildTree = 7,
  HintReleaseResourceView = 8,
  HintTitleChanged = 9,
  HintTranslationRequest = 10,
  HintTranslationCommitted = 11,
  HintResourceChanged = 12,
  HintResourceStatusChanged = 13,
  HintNodeStatusChanged = 14,
  HintFocusEditor = 15,
  HintBuildTarget = 16,
  HintImportTranslation = 17,
  HintUpdateSource = 18,
  HintUndoRedo = 19,
  HintUndoneItemInPlace = 20,
  HintUndoneItemSelect = 21,
  HintDeleteTranslation = 22,
  HintIdle = 23,
  HintLayoutModeChanged = 24,
  HintNextToTranslate = 25,
  HintImportScribe = 26,
};

// The answer of the view that handles a message sent with SendToViews.
constexpr int kViewMessageHandled = 4660;

// A view of the document. Objects are the model's own (module, language record, resource,
// resource type, undo action, translation request) and are not owned by the view.
class CDocumentView {
 public:
  virtual ~CDocumentView() = default;
  virtual void OnUpdate(int hint, const void* object) = 0;
  // The registered message "TvlDoc_UpdateProjectView"; kViewMessageHandled stops the round.
  virtual int OnViewMessage(int hint, const void* object) {
    (void)hint;
    (void)object;
    return 0;
  }
};
