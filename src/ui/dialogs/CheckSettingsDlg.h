#pragma once
// "Check Settings": which rules the checks run, the least severity listed and whether a
// translation equal to its source is reported.
#include <QDialog>
#include <map>
#include <string>

#include "checks/CheckSettings.h"

class QCheckBox;
class QComboBox;

class CDialogCheckSettings : public QDialog {
  Q_OBJECT
 public:
  explicit CDialogCheckSettings(const CCheckSettings& settings, QWidget* parent = nullptr);
  CCheckSettings Settings() const;
  QCheckBox* RuleBox(const std::string& rule) const;
  QCheckBox* IdenticalBox() const { return m_identical; }
  QComboBox* SeverityList() const { return m_severity; }

 private:
  std::map<std::string, QCheckBox*> m_rules;
  QCheckBox* m_identical = nullptr;
  QComboBox* m_severity = nullptr;
};
