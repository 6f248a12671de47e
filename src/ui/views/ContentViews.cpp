#include "ui/views/ContentViews.h"

#include "formats/layout/ResBinary.h"
#include "formats/layout/ResIcon.h"
#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "formats/layout/ResManifest.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"
#include "ui/views/AcceleratorView.h"
#include "ui/views/MenuView.h"
#include "ui/views/PictureViews.h"
#include "ui/views/TextViews.h"
#include "ui/views/ToolbarView.h"
#include "ui/views/VersionInfoView.h"

QWidget* CreateContentView(NodeViewKind kind, CMainFrame* frame, CTvlDoc& document, CResource* resource,
                           QWidget* parent) {
  switch (kind) {
    case NodeViewKind::Version:
      if (auto* version = dynamic_cast<CResVersion*>(resource)) {
        auto* view = new CVersionInfoView(frame, document, version, parent);
        view->OnInitialUpdate();
        return view;
      }
      break;
    case NodeViewKind::Accelerator:
      if (auto* table = dynamic_cast<CResAcceleratorTable*>(resource)) {
        auto* view = new CAcceleratorView(frame, document, table, parent);
        view->OnInitialUpdate();
        return view;
      }
      break;
    case NodeViewKind::Menu:
      if (auto* menu = dynamic_cast<CResMenu*>(resource)) {
        auto* view = new CMenuView(frame, document, menu, parent);
        view->OnInitialUpdate();
        return view;
      }
      break;
    case NodeViewKind::Toolbar:
      if (auto* toolbar = dynamic_cast<CResToolBar*>(resource)) {
        auto* view = new CToolbarView(frame, document, toolbar, parent);
        view->OnInitialUpdate();
        return view;
      }
      break;
    case NodeViewKind::Bitmap:
      if (auto* bitmap = dynamic_cast<CResBitmap*>(resource)) return new CBitmapView(frame, document, bitmap, parent);
      break;
    case NodeViewKind::Icon:
      if (auto* group = dynamic_cast<CResIconGroup*>(resource)) return new CIconView(frame, document, group, parent);
      break;
    case NodeViewKind::Manifest:
      if (auto* manifest = dynamic_cast<CResManifest*>(resource))
        return new CManifestView(frame, document, manifest, parent);
      break;
    case NodeViewKind::Html:
      if (auto* binary = dynamic_cast<CResBinary*>(resource)) return new CHtmlResView(frame, document, binary, parent);
      break;
    case NodeViewKind::Binary:
      if (auto* binary = dynamic_cast<CResBinary*>(resource)) return new CBinaryView(frame, document, binary, parent);
      break;
    default: break;
  }
  return nullptr;
}
