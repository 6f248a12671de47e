// tvl-render: pictures of dialog previews without a display, for `tvl render`.
//   tvl-render PROJECT.tvl --module M --dialog ID [--lang L] [--zoom PERCENT] -o OUT.png
//   tvl-render PROJECT.tvl --all [--lang L] [--zoom PERCENT] -o FOLDER
#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/TvlCommands.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResDialogTable.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TvlDoc.h"
#include "resmodel/ResTable.h"
#include "ui/views/DialogPreview.h"

namespace {

struct Args {
  std::string project, module, dialog, lang, output;
  int zoom = 100;
  bool all = false;
};

bool ParseArgs(int argc, char** argv, Args& a) {
  std::vector<std::string> v(argv + 1, argv + argc);
  for (size_t i = 0; i < v.size(); ++i) {
    auto value = [&](std::string& into) {
      if (i + 1 >= v.size()) return false;
      into = v[++i];
      return true;
    };
    std::string zoom;
    if (v[i] == "--module") {
      if (!value(a.module)) return false;
    } else if (v[i] == "--dialog") {
      if (!value(a.dialog)) return false;
    } else if (v[i] == "--lang") {
      if (!value(a.lang)) return false;
    } else if (v[i] == "-o" || v[i] == "--output") {
      if (!value(a.output)) return false;
    } else if (v[i] == "--zoom") {
      if (!value(zoom)) return false;
      a.zoom = std::atoi(zoom.c_str());
      if (a.zoom < 10 || a.zoom > 800) return false;
    } else if (v[i] == "--all") {
      a.all = true;
    } else if (a.project.empty() && v[i].rfind("-", 0) != 0) {
      a.project = v[i];
    } else {
      return false;
    }
  }
  return !a.project.empty() && !a.output.empty() && (a.all || (!a.module.empty() && !a.dialog.empty()));
}

std::string SafeName(std::u16string text) {
  std::string s = tvl::ToUtf8(text);
  for (char& c : s)
    if (c == '/' || c == '\\' || c == ':' || c == '"' || c == ' ') c = '_';
  return s;
}

bool Render(CResDialog& dialog, const CPreviewSource& source, int zoom, const std::string& path) {
  QImage image = RenderDialogPreview(dialog, source, zoom);
  if (image.isNull() || !image.save(QString::fromStdString(path))) {
    std::cerr << "tvl render: cannot write " << path << "\n";
    return false;
  }
  return true;
}

bool Matches(const CResource& r, const std::string& id) {
  return tvl::ToUtf8(r.m_identifier.GetText()) == id || tvl::ToUtf8(r.m_identifier.GetText(true)) == id;
}

}  // namespace

int main(int argc, char** argv) {
  Args a;
  if (!ParseArgs(argc, argv, a)) {
    std::cerr << "usage: tvl render PROJECT.tvl --module M --dialog ID [--lang L] [--zoom PERCENT] -o OUT.png\n"
                 "       tvl render PROJECT.tvl --all [--lang L] [--zoom PERCENT] -o FOLDER\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CTvlDoc doc;
  std::error_code ec;
  if (!doc.OnOpenDocument(tvl::FromUtf8(std::filesystem::absolute(a.project, ec).string()))) return 1;
  LANGID language = 0;
  if (!a.lang.empty()) {
    auto l = ParseLanguageArgument(a.lang);
    if (!l) {
      std::cerr << "tvl render: unknown language '" << a.lang << "'\n";
      return 2;
    }
    language = *l;
  }
  const CPreviewSource source = PreviewSourceFor(doc, language);
  if (a.all) QDir().mkpath(QString::fromStdString(a.output));
  int rendered = 0;
  bool ok = true;
  for (const auto& module : doc.m_modules) {
    if (!a.all && tvl::ToUtf8(module->GetName()) != a.module) continue;
    CResDialogTable& dialogs = module->m_resTable.m_dialogs;
    for (int i = 0; i < dialogs.GetCount(); ++i) {
      auto* dialog = static_cast<CResDialog*>(dialogs.GetResource(i));
      if (!a.all && !Matches(*dialog, a.dialog)) continue;
      std::string path = a.all ? a.output + "/" + SafeName(module->GetName()) + "_" +
                                     SafeName(dialog->m_identifier.GetText()) + "_" +
                                     QString::number(source.language, 16).rightJustified(4, '0').toStdString() + ".png"
                               : a.output;
      ok = Render(*dialog, source, a.zoom, path) && ok;
      ++rendered;
    }
  }
  if (rendered == 0) {
    std::cerr << "tvl render: no such dialog\n";
    return 1;
  }
  return ok ? 0 : 1;
}
