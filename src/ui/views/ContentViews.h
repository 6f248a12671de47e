#pragma once
// The views of single resources shown as content: version information, pictures, text,
// binary data, manifests, HTML pages, accelerator tables, menus and toolbars. The pane
// creates them by the node's view kind.
#include <QWidget>

#include "workspace/ProjectNodes.h"

class CMainFrame;
class CTvlDoc;
class CResource;

// A content view lets go of its resource at once when the pane discards it (deletion waits
// for the event loop).
class CContentView {
 public:
  virtual ~CContentView() = default;
  virtual void Release() = 0;
  // Delete Translation (command 32800) of views that have it.
  virtual bool HasDeleteTranslation() const { return false; }
  virtual bool CanDeleteTranslation() const { return false; }
  virtual void DeleteTranslation() {}
};

// The view of a resource node, built and filled; null for kinds that have none here.
QWidget* CreateContentView(NodeViewKind kind, CMainFrame* frame, CTvlDoc& document, CResource* resource,
                           QWidget* parent);
